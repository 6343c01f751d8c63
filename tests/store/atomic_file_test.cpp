// Replacing a file: long names, what a killed write leaves, what the replaced file
// keeps, and the write in place where the folder takes no new file.
#include "store/atomic_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

std::vector<std::string> Names(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(folder))
        names.push_back(e.path().filename().string());
    return names;
}

// Runs body in a child process, as the user nobody when the tests run as root;
// its exit status.
int InChild(const std::function<int()>& body, bool ordinaryUser) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (ordinaryUser && geteuid() == 0 &&
            (setgroups(0, nullptr) != 0 || setgid(65534) != 0 || setuid(65534) != 0))
            _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(AtomicFileTest, LongNamesAndKilledWritesLeaveNoTemporaryFiles) {
    TempDir dir;
    // 250 bytes: as long as the file system allows, less room than any suffix needs.
    std::string longName;
    while (longName.size() < 246) longName += "\xC3\xA9";
    ASSERT_TRUE(WriteFileAtomically(dir.file(longName + ".cfg"), "x"));
    EXPECT_EQ(Names(dir.path()), std::vector<std::string>{longName + ".cfg"});
    std::filesystem::remove(dir.file(longName + ".cfg"));

    // A write killed half way (by the file size limit) leaves its temporary file.
    const std::string path = dir.file("Ostrel.ini");
    const auto killedWrite = [&] {
        const rlimit noCore{0, 0}, small{16, 16};
        setrlimit(RLIMIT_CORE, &noCore);
        setrlimit(RLIMIT_FSIZE, &small);
        return WriteFileAtomically(path, std::string(1000, 'n')) ? 0 : 1;
    };
    EXPECT_EQ(InChild(killedWrite, false), 128 + SIGXFSZ);
    ASSERT_EQ(Names(dir.path()).size(), 1u);
    const std::string leftover = dir.file(Names(dir.path())[0]);
    // Leftovers of an earlier version name their process: one that has ended, one that runs.
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    const std::string gone = dir.file(".Ostrel.ini.tmp-" + std::to_string(ended) + "-0");
    const std::string live = dir.file(".Ostrel.ini.tmp-" + std::to_string(getpid()) + "-0");
    TempDir::Write(gone, "old");
    TempDir::Write(live, "old");

    // While a write holds its lock the file stays; once the lock is gone it goes.
    const int held = open(leftover.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "a"));
    EXPECT_TRUE(std::filesystem::exists(leftover));
    close(held);
    ASSERT_TRUE(WriteFileAtomically(path, "b"));
    EXPECT_FALSE(std::filesystem::exists(leftover));
    EXPECT_FALSE(std::filesystem::exists(gone));
    EXPECT_TRUE(std::filesystem::exists(live));
    EXPECT_EQ(TempDir::Read(path), "b");
}

TEST(AtomicFileTest, ReplacedFileKeepsItsOwnerModeAndHardLinks) {
    TempDir dir;
    const std::string path = dir.file("a.cfg"), link = dir.file("b.cfg");
    TempDir::Write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    // Only root may give a file away; others keep at least the mode.
    const bool root = geteuid() == 0;
    const uid_t owner = root ? 65534 : geteuid();
    const gid_t group = root ? 65534 : getegid();
    ASSERT_EQ(chown(path.c_str(), owner, group), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 07777, 0640u);
    EXPECT_EQ(st.st_uid, owner);
    EXPECT_EQ(st.st_gid, group);

    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "linked and longer"));
    EXPECT_EQ(TempDir::Read(link), "linked and longer");
    ASSERT_TRUE(WriteFileAtomically(link, "short"));
    EXPECT_EQ(TempDir::Read(path), "short");
    EXPECT_EQ(Names(dir.path()).size(), 2u);
}

// A folder that takes no new file: its writable file is written in place, a new
// file is refused, and the check before a write says so.
TEST(AtomicFileTest, WritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    TempDir dir;
    const std::string folder = dir.file("locked"), path = folder + "/midi.syx";
    std::filesystem::create_directory(folder);
    TempDir::Write(path, "a much longer old content");
    ASSERT_EQ(chmod(path.c_str(), 0666), 0);
    ASSERT_EQ(chmod(folder.c_str(), 0555), 0);
    ASSERT_EQ(chmod(dir.path().c_str(), 0755), 0);
    const int status = InChild(
        [&] {
            std::string why;
            if (!CanWriteFile(path) || CanWriteFile(folder + "/new.syx", &why)) return 1;
            if (why != "Permission denied") return 2;
            if (WriteFileAtomically(folder + "/new.syx", "x")) return 3;
            return WriteFileAtomically(path, "new") ? 0 : 4;
        },
        true);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TempDir::Read(path), "new");
    EXPECT_EQ(Names(folder), std::vector<std::string>{"midi.syx"});
}

}  // namespace
}  // namespace ostrel
