// Files that are not what a write expects: pipes and devices, dangling links,
// attributes the program does not own, temporary files that killed writes left.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include "store/atomic_file.h"
#include "store/read_file.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

bool IsLink(const std::string& path, mode_t type) {
    struct stat st {};
    return lstat(path.c_str(), &st) == 0 && (st.st_mode & S_IFMT) == type;
}

TEST(SpecialFilesTest, PipesAndDevicesAreRefusedAtOnceNeverWaitedOnOrReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("pipe.cfg"), device = dir.file("null.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // A device node where the tests may make one (root), as mknod ... c 1 3.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0;
    for (const auto& [path, type] : {std::pair{fifo, S_IFIFO}, std::pair{device, S_IFCHR}}) {
        if (type == S_IFCHR && !haveDevice) continue;
        std::string content, read, check, write;
        EXPECT_FALSE(ReadRegularFileStart(path, 256, content, &read));
        EXPECT_FALSE(CanWriteFile(path, &check));
        EXPECT_FALSE(WriteFileAtomically(path, "[NOTE]\n", &write));
        for (const std::string& why : {read, check, write}) EXPECT_EQ(why, "not a regular file");
        EXPECT_TRUE(IsLink(path, type)) << path;  // still the pipe or the device
    }
}

TEST(SpecialFilesTest, SavingThroughADanglingLinkWritesItsTargetOrRefusesAndKeepsTheLink) {
    TempDir dir;
    ASSERT_EQ(symlink("loop.cfg", dir.file("loop.cfg").c_str()), 0);
    for (const auto& [target, why] :
         {std::pair{"new.cfg", ""}, std::pair{"gone/new.cfg", "No such file or directory"},
          std::pair{"loop.cfg", "Too many levels of symbolic links"}}) {
        const std::string link = dir.file("link.cfg");
        unlink(link.c_str());
        ASSERT_EQ(symlink(target, link.c_str()), 0);
        std::string failure;
        EXPECT_EQ(WriteFileAtomically(link, "[NOTE]\n", &failure), *why == '\0');
        EXPECT_EQ(failure, why);
        EXPECT_TRUE(IsLink(link, S_IFLNK));
    }
    EXPECT_EQ(TempDir::Read(dir.file("new.cfg")), "[NOTE]\n");
}

TEST(SpecialFilesTest, AReplacedFileKeepsItsAclAttributesOwnerAndModeExactly) {
    TempDir dir;
    const std::string path = dir.file("song.cfg");
    TempDir::Write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    if (setxattr(path.c_str(), "user.origin", "desk", 4, 0) != 0) GTEST_SKIP() << "no xattrs";
    // setfacl -m u:daemon:rw: owner rw, user 1 rw, group r, mask rw, others none.
    const char acl[] =
        "\2\0\0\0"
        "\1\0\6\0\377\377\377\377"
        "\2\0\6\0\1\0\0\0"
        "\4\0\4\0\377\377\377\377"
        "\20\0\6\0\377\377\377\377"
        "\40\0\0\0\377\377\377\377";
    const std::string aclName = "system.posix_acl_access";
    const bool haveAcl = setxattr(path.c_str(), aclName.c_str(), acl, sizeof acl - 1, 0) == 0;
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file, not the old one written
    EXPECT_EQ(std::tie(after.st_mode, after.st_uid, after.st_gid),
              std::tie(before.st_mode, before.st_uid, before.st_gid));
    char value[64];
    EXPECT_EQ(getxattr(path.c_str(), "user.origin", value, sizeof value), 4);
    if (haveAcl) {
        EXPECT_EQ(std::string(value, getxattr(path.c_str(), aclName.c_str(), value, sizeof value)),
                  std::string(acl, sizeof acl - 1));
    }
}

// Of any target in the folder, at start or at the next write there; one that a
// write holds locked, or another user's, stays.
TEST(SpecialFilesTest, LeftoverTemporaryFilesGoAtStartAndAtTheNextWriteInTheirFolder) {
    TempDir dir;
    const std::string left = dir.file(".ostrel-0123abcd-99-0.tmp"),
                      held = dir.file(".ostrel-0123abcd-99-1.tmp"),
                      others = dir.file(".ostrel-0123abcd-99-2.tmp"), mine = dir.file("notes.tmp");
    for (const std::string& path : {left, held, others, mine}) TempDir::Write(path, "x");
    const int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // a write under way
    const bool root = geteuid() == 0 && chown(others.c_str(), 65534, 65534) == 0;
    RemoveLeftoverTempFiles(dir.path());
    EXPECT_NE(access(left.c_str(), F_OK), 0);
    TempDir::Write(left, "x");
    ASSERT_TRUE(WriteFileAtomically(dir.file("other.cfg"), "[NOTE]\n"));
    EXPECT_NE(access(left.c_str(), F_OK), 0);
    EXPECT_EQ(access(held.c_str(), F_OK) + access(mine.c_str(), F_OK), 0);
    EXPECT_EQ(access(others.c_str(), F_OK) == 0, root);
    close(fd);
}

}  // namespace
}  // namespace ostrel
