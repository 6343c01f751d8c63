// Files that are not what a write expects: pipes and devices, links, attributes
// that the program does not own.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <cstdint>
#include <string>

#include "store/atomic_file.h"
#include "store/read_file.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

TEST(SpecialFilesTest, PipesAndDevicesAreRefusedAtOnceNeverWaitedOnOrReplaced) {
    TempDir dir;
    const std::string fifo = dir.file("pipe.cfg"), device = dir.file("null.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0644), 0);
    // A device node as root only (mknod ... c 1 3); the pipe alone otherwise.
    const bool haveDevice = mknod(device.c_str(), S_IFCHR | 0644, makedev(1, 3)) == 0;
    for (const std::string& path : {fifo, device}) {
        if (path == device && !haveDevice) continue;
        SCOPED_TRACE(path);
        std::string content, why;
        EXPECT_FALSE(ReadRegularFileStart(path, 256, content, &why));
        EXPECT_EQ(why, "not a regular file");
        why.clear();
        EXPECT_FALSE(CanWriteFile(path, &why));
        EXPECT_EQ(why, "not a regular file");
        why.clear();
        EXPECT_FALSE(WriteFileAtomically(path, "[NOTE]\n", &why));
        EXPECT_EQ(why, "not a regular file");
        struct stat st {};
        ASSERT_EQ(lstat(path.c_str(), &st), 0);
        EXPECT_FALSE(S_ISREG(st.st_mode));  // still the pipe or the device
    }
}

// A link whose target is missing: the target is written where its folder
// exists, else the write is refused with the reason; the link stays a link.
TEST(SpecialFilesTest, SavingThroughADanglingLinkWritesItsTargetOrRefusesAndKeepsTheLink) {
    TempDir dir;
    const struct {
        const char* target;
        bool written;
        const char* why;
    } cases[] = {
        {"new.cfg", true, ""},
        {"gone/new.cfg", false, "No such file or directory"},
        {"loop.cfg", false, "Too many levels of symbolic links"},
    };
    ASSERT_EQ(symlink("loop.cfg", dir.file("loop.cfg").c_str()), 0);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        const std::string link = dir.file("link.cfg");
        unlink(link.c_str());
        ASSERT_EQ(symlink(c.target, link.c_str()), 0);
        std::string why;
        EXPECT_EQ(WriteFileAtomically(link, "[NOTE]\n", &why), c.written);
        EXPECT_EQ(why, c.why);
        if (c.written) {
            EXPECT_EQ(TempDir::Read(dir.file(c.target)), "[NOTE]\n");
        }
        struct stat st {};
        ASSERT_EQ(lstat(link.c_str(), &st), 0);
        EXPECT_TRUE(S_ISLNK(st.st_mode));
    }
}

// Temporary files that killed writes left, of any target in the folder, go at
// the next write there; one that a write holds locked, or another user's, stays.
TEST(SpecialFilesTest, LeftoverTemporaryFilesGoAtTheNextWriteInTheirFolder) {
    TempDir dir;
    const std::string left = dir.file(".ostrel-0123abcd-99-0.tmp"),
                      held = dir.file(".ostrel-0123abcd-99-1.tmp"),
                      others = dir.file(".ostrel-0123abcd-99-2.tmp"), mine = dir.file("notes.tmp");
    for (const std::string& path : {left, held, others, mine}) TempDir::Write(path, "x");
    const int fd = open(held.c_str(), O_RDONLY);
    ASSERT_EQ(flock(fd, LOCK_EX), 0);  // a write under way
    const bool root = geteuid() == 0;
    if (root) {
        ASSERT_EQ(chown(others.c_str(), 65534, 65534), 0);
    }

    RemoveLeftoverTempFiles(dir.path());  // as at start
    EXPECT_NE(access(left.c_str(), F_OK), 0);
    TempDir::Write(left, "x");
    ASSERT_TRUE(WriteFileAtomically(dir.file("other.cfg"), "[NOTE]\n"));
    EXPECT_NE(access(left.c_str(), F_OK), 0);
    EXPECT_EQ(access(held.c_str(), F_OK), 0);
    EXPECT_EQ(access(mine.c_str(), F_OK), 0);
    EXPECT_EQ(access(others.c_str(), F_OK) == 0, root);
    close(fd);
}

std::string Attribute(const std::string& path, const char* name) {
    char value[256];
    const ssize_t n = getxattr(path.c_str(), name, value, sizeof value);
    return n < 0 ? "(none)" : std::string(value, static_cast<size_t>(n));
}

// An access control list as setfacl -m u:daemon:rw leaves it on a 0640 file:
// owner rw, user 1 rw, group r, mask rw, others nothing.
std::string DaemonMayWriteAcl() {
    const auto u16 = [](unsigned v) { return std::string{char(v & 0xFF), char(v >> 8)}; };
    const auto u32 = [&](uint32_t v) { return u16(v & 0xFFFF) + u16(v >> 16); };
    const auto entry = [&](unsigned tag, unsigned perm, uint32_t id) {
        return u16(tag) + u16(perm) + u32(id);
    };
    return u32(2) + entry(0x01, 6, ~0u) + entry(0x02, 6, 1) + entry(0x04, 4, ~0u) +
           entry(0x10, 6, ~0u) + entry(0x20, 0, ~0u);
}

TEST(SpecialFilesTest, AReplacedFileKeepsItsAclAttributesOwnerAndModeExactly) {
    TempDir dir;
    const std::string path = dir.file("song.cfg");
    TempDir::Write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    if (setxattr(path.c_str(), "user.origin", "desk", 4, 0) != 0)
        GTEST_SKIP() << "no extended attributes here";
    const std::string acl = DaemonMayWriteAcl();
    const bool haveAcl =
        setxattr(path.c_str(), "system.posix_acl_access", acl.data(), acl.size(), 0) == 0;
    struct stat before {
    }, after{};
    ASSERT_EQ(stat(path.c_str(), &before), 0);

    std::string why;
    ASSERT_TRUE(WriteFileAtomically(path, "new", &why)) << why;
    EXPECT_EQ(TempDir::Read(path), "new");
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_NE(after.st_ino, before.st_ino);  // a new file, not the old one written
    EXPECT_EQ(after.st_mode, before.st_mode);
    EXPECT_EQ(after.st_uid, before.st_uid);
    EXPECT_EQ(after.st_gid, before.st_gid);
    EXPECT_EQ(Attribute(path, "user.origin"), "desk");
    if (haveAcl) {
        EXPECT_EQ(Attribute(path, "system.posix_acl_access"), acl);
    }
}

}  // namespace
}  // namespace ostrel
