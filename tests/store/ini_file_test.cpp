// The INI reader and writer: lookups, in-place replacement, what a write keeps,
// line ends, limits, and the crash-safe replacement of the file: pipes and
// devices, dangling links, attributes it does not own, leftovers of killed writes.
#include "store/ini_file.h"

#include <fcntl.h>
#include <grp.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <functional>
#include <string>
#include <tuple>

#include "store/atomic_file.h"
#include "store/in_place_write.h"
#include "store/read_file.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

// Files in the folder other than the ones named: leftovers of a write.
int StrayFiles(const TempDir& dir, int expected) {
    int n = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++n;
    }
    return n - expected;
}

// Runs body in a child process, as the user nobody when asked and the tests run as
// root: its exit status, or 128 + the signal that ended it.
int InChild(const std::function<int()>& body, bool asNobody = false) {
    const pid_t pid = fork();
    if (pid == 0) {
        if (asNobody && geteuid() == 0 && (setgroups(0, nullptr) || setgid(65534) || setuid(65534)))
            _exit(99);
        _exit(body());
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

TEST(IniFileTest, LookupsIgnoreCaseAndBlanksAroundNamesAndValues) {
    const IniFile f = IniFile::FromText(
        "[Devname]\nMidiIn = 3 \n[ system ]\nfilename=a.cfg\n  FullName\t=\t/x/a.cfg\n");
    EXPECT_EQ(f.Get("DEVNAME", "MIDIIN"), "3");
    EXPECT_EQ(f.Get("devname", "midiin"), "3");
    EXPECT_EQ(f.Get("SYSTEM", "FILENAME"), "a.cfg");
    EXPECT_EQ(f.Get("SYSTEM", "FULLNAME"), "/x/a.cfg");
    EXPECT_TRUE(f.Has("system", "FULLNAME"));
}

TEST(IniFileTest, AbsentSectionsKeysAndCommentsReadEmpty) {
    const IniFile f =
        IniFile::FromText("TOP=1\n[A]\n;B=2\n# C=3\nnot a key line\n[B]\nX=\n[C\nY=5\n");
    EXPECT_EQ(f.Get("A", "TOP"), "");  // before any section: in no section
    EXPECT_EQ(f.Get("A", ";B"), "");
    EXPECT_EQ(f.Get("A", "B"), "");
    EXPECT_EQ(f.Get("Z", "X"), "");
    EXPECT_EQ(f.Get("B", "X"), "");
    EXPECT_TRUE(f.Has("B", "X"));
    EXPECT_FALSE(f.Has("B", "Q"));
    EXPECT_EQ(f.Get("B", "Y"), "5");  // "[C" is no header: Y stays in B
    EXPECT_EQ(IniFile().Get("A", "B"), "");
}

TEST(IniFileTest, ValueKeepsEqualsSignsAfterTheFirst) {
    const IniFile f = IniFile::FromText("[S]\nK=a=b\n");
    EXPECT_EQ(f.Get("S", "K"), "a=b");
}

TEST(IniFileTest, OnePairOfMatchingDoubleQuotesIsDropped) {
    IniFile f = IniFile::FromText("[S]\nDATA=\"007\"\nSTATE = \"1\" \nTWO=\"\"x\"\"\nHALF=\"x\n");
    EXPECT_EQ(f.Get("S", "DATA") + f.Get("S", "STATE") + f.Get("S", "TWO") + f.Get("S", "HALF"),
              "0071\"x\"\"x");
    // Values that reading would change are written so that they read back as they are.
    for (const char* value : {"\"Loud\"", " padded ", "plain"}) {
        ASSERT_EQ(f.Set("S", "V", value), StoreResult::Ok);
        EXPECT_EQ(IniFile::FromText(f.Text()).Get("S", "V"), value);
    }
    EXPECT_NE(f.Text().find("V=plain\n"), std::string::npos);
}

TEST(IniFileTest, CrlfFileIsReadAndKeepsCrlfWhenChanged) {
    IniFile f = IniFile::FromText("[NOTE]\r\nDATA0A=001\r\n\r\n[KNOB01]\r\nDATA=007\r\n");
    EXPECT_EQ(f.Get("note", "data0a"), "001");
    EXPECT_EQ(f.Get("KNOB01", "DATA"), "007");
    ASSERT_EQ(f.Set("KNOB01", "DATA", "###"), StoreResult::Ok);
    ASSERT_EQ(f.Set("NOTE", "DATA0B", "***"), StoreResult::Ok);
    ASSERT_EQ(f.Set("RTZ", "DATA", "115"), StoreResult::Ok);
    EXPECT_EQ(f.Text(),
              "[NOTE]\r\nDATA0A=001\r\nDATA0B=***\r\n\r\n[KNOB01]\r\nDATA=###\r\n"
              "[RTZ]\r\nDATA=115\r\n");
}

TEST(IniFileTest, WriteReplacesInPlaceAndKeepsEveryOtherLine) {
    const std::string before =
        "; written by hand\n"
        "[Foreign]\n"
        "  odd line without equals\n"
        "Key = keep me  \n"
        "\n"
        "[knob01]\n"
        "  data = 005 ; old\n"
        "Extra=1\n"
        "\n"
        "# trailing comment\n"
        "[Other]\r\n"
        "Z=9";
    IniFile f = IniFile::FromText(before);
    ASSERT_EQ(f.Set("KNOB01", "DATA", "007"), StoreResult::Ok);
    // The key keeps its spelling and spacing; only what follows '=' changes.
    std::string expected = before;
    expected.replace(expected.find("  data = 005 ; old"), 18, "  data =007");
    EXPECT_EQ(f.Text(), expected);
}

TEST(IniFileTest, NewKeyGoesAfterLastKeyOfItsSectionNewSectionAtTheEnd) {
    IniFile f = IniFile::FromText("[A]\nX=1\n; note\n\n[B]\nY=2\n");
    ASSERT_EQ(f.Set("a", "Z", "3"), StoreResult::Ok);
    ASSERT_EQ(f.Set("C", "K1", "4"), StoreResult::Ok);
    ASSERT_EQ(f.Set("C", "K2", "5"), StoreResult::Ok);
    ASSERT_EQ(f.Set("A", "W", "6"), StoreResult::Ok);
    EXPECT_EQ(f.Text(), "[A]\nX=1\nZ=3\nW=6\n; note\n\n[B]\nY=2\n[C]\nK1=4\nK2=5\n");
}

TEST(IniFileTest, KeyIntoSectionWithoutKeysFollowsItsHeader) {
    IniFile f = IniFile::FromText("[A]\n; nothing yet\n[B]\n");
    ASSERT_EQ(f.Set("A", "K", "1"), StoreResult::Ok);
    EXPECT_EQ(f.Text(), "[A]\nK=1\n; nothing yet\n[B]\n");
}

TEST(IniFileTest, LastLineWithoutLineEndGetsOneBeforeAnAppend) {
    IniFile f = IniFile::FromText("[A]\nX=1");
    ASSERT_EQ(f.Set("A", "Y", "2"), StoreResult::Ok);
    EXPECT_EQ(f.Text(), "[A]\nX=1\nY=2\n");
    IniFile g = IniFile::FromText("[A]\nX=1");
    ASSERT_EQ(g.Set("B", "Y", "2"), StoreResult::Ok);
    EXPECT_EQ(g.Text(), "[A]\nX=1\n[B]\nY=2\n");
}

TEST(IniFileTest, DuplicateSectionsReadAndWriteTheFirstMatch) {
    IniFile f = IniFile::FromText("[A]\nX=1\n[B]\n[a]\nX=2\nY=3\n");
    EXPECT_EQ(f.Get("A", "X"), "1");
    EXPECT_EQ(f.Get("A", "Y"), "3");  // found in the second part
    ASSERT_EQ(f.Set("A", "Y", "4"), StoreResult::Ok);
    ASSERT_EQ(f.Set("A", "Z", "5"), StoreResult::Ok);
    EXPECT_EQ(f.Text(), "[A]\nX=1\nZ=5\n[B]\n[a]\nX=2\nY=4\n");
}

TEST(IniFileTest, ByteOrderMarkIsSkippedForReadingAndKept) {
    IniFile f = IniFile::FromText("\xEF\xBB\xBF[A]\nX=1\n");
    EXPECT_EQ(f.Get("A", "X"), "1");
    ASSERT_EQ(f.Set("A", "X", "2"), StoreResult::Ok);
    EXPECT_EQ(f.Text(), "\xEF\xBB\xBF[A]\nX=2\n");
}

TEST(IniFileTest, LongValuesReadAsTheirFirst255Characters) {
    const std::string longValue(300, 'v');
    const IniFile f = IniFile::FromText("[A]\nX=" + longValue + "\n");
    EXPECT_EQ(f.Get("A", "X"), std::string(255, 'v'));
}

TEST(IniFileTest, RefusedWritesLeaveTheDocumentUnchanged) {
    const std::string text = "[A]\nX=1\n";
    IniFile f = IniFile::FromText(text);
    EXPECT_EQ(f.Set("A", "X", std::string(256, 'v')), StoreResult::TooLong);
    EXPECT_EQ(f.Set("A", "X", "two\nlines"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A", "X", "cr\r"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A", "X", std::string("nul\0x", 5)), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A]", "X", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A", "K=", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A", ";K", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("", "X", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A", " ", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Set("A\n[B", "X", "1"), StoreResult::InvalidText);
    EXPECT_EQ(f.Text(), text);
    EXPECT_EQ(f.Set("A", "X", std::string(255, 'v')), StoreResult::Ok);
    EXPECT_EQ(f.Get("A", "X"), std::string(255, 'v'));
}

TEST(IniFileTest, ParseIntFollowsTheAtoiRule) {
    EXPECT_EQ(ParseIntLikeAtoi(""), 0);
    EXPECT_EQ(ParseIntLikeAtoi("-1"), -1);
    EXPECT_EQ(ParseIntLikeAtoi("  +42abc"), 42);
    EXPECT_EQ(ParseIntLikeAtoi("\t-007"), -7);
    EXPECT_EQ(ParseIntLikeAtoi("x12"), 0);
    EXPECT_EQ(ParseIntLikeAtoi("- 3"), 0);
    EXPECT_EQ(ParseIntLikeAtoi("99999999999999999999"), 2147483647);
    EXPECT_EQ(ParseIntLikeAtoi("-99999999999999999999"), -2147483647 - 1);
}

TEST(IniFileTest, LoadSaveRoundTripOfRealFiles) {
    TempDir dir;
    const std::string path = dir.file("x.ini");
    IniFile f;
    ASSERT_EQ(f.Load(path), StoreResult::Ok);  // missing: empty document
    EXPECT_EQ(f.Text(), "");
    ASSERT_EQ(f.Set("S", "K", "v"), StoreResult::Ok);
    ASSERT_EQ(f.Save(path), StoreResult::Ok);
    EXPECT_EQ(TempDir::Read(path), "[S]\nK=v\n");
    IniFile g;
    ASSERT_EQ(g.Load(path), StoreResult::Ok);
    EXPECT_EQ(g.Get("s", "k"), "v");
    EXPECT_EQ(StrayFiles(dir, 1), 0);
}

TEST(IniFileTest, UnreadableExistingFileIsReportedNotTakenAsEmpty) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("is_a_folder"));
    IniFile f;
    EXPECT_EQ(f.Load(dir.file("is_a_folder")), StoreResult::IoFailure);
    EXPECT_EQ(f.Text(), "");
}

TEST(AtomicFileTest, FailedRenameKeepsTheOldTargetAndLeavesNoTemporaryFile) {
    TempDir dir;
    // A non-empty folder cannot be replaced by a file: the rename fails at the end.
    const std::string target = dir.file("Ostrel.ini");
    std::filesystem::create_directory(target);
    TempDir::Write(target + "/inside", "old");
    EXPECT_FALSE(WriteFileAtomically(target, "new content"));
    EXPECT_EQ(TempDir::Read(target + "/inside"), "old");
    EXPECT_EQ(StrayFiles(dir, 1), 0);
}

TEST(AtomicFileTest, WriteThatFailsHalfwayKeepsTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("Ostrel.ini");
    TempDir::Write(path, "[A]\nX=old\n");
    // A file size limit makes the write of the new content fail part way, as a full
    // disk would. The limit is the process's, so it is lifted again at once.
    struct rlimit old;
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    auto previous = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 16;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = WriteFileAtomically(path, std::string(1000, 'n'));
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, previous);
    EXPECT_FALSE(written);
    EXPECT_EQ(TempDir::Read(path), "[A]\nX=old\n");
    EXPECT_EQ(StrayFiles(dir, 1), 0);
}

TEST(AtomicFileTest, MissingFolderFailsAndKeepsPermissionsOfReplacedFile) {
    TempDir dir;
    EXPECT_FALSE(WriteFileAtomically(dir.file("no/such/folder.ini"), "x"));
    const std::string path = dir.file("perm.ini");
    TempDir::Write(path, "a");
    ASSERT_EQ(chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "b"));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(TempDir::Read(path), "b");
}

TEST(AtomicFileTest, ReadOnlyFileIsNotReplaced) {
    if (geteuid() == 0) GTEST_SKIP() << "root may write any file";
    TempDir dir;
    const std::string path = dir.file("locked.cfg");
    TempDir::Write(path, "old");
    ASSERT_EQ(chmod(path.c_str(), 0444), 0);
    EXPECT_FALSE(WriteFileAtomically(path, "new"));
    EXPECT_EQ(TempDir::Read(path), "old");
    EXPECT_EQ(StrayFiles(dir, 1), 0);
}

TEST(AtomicFileTest, SymbolicLinkStaysAndItsTargetIsReplaced) {
    TempDir dir;
    const std::string real = dir.file("real.ini"), link = dir.file("link.ini");
    TempDir::Write(real, "old");
    std::filesystem::create_symlink(real, link);
    ASSERT_TRUE(WriteFileAtomically(link, "new"));
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(TempDir::Read(real), "new");
}

TEST(AtomicFileTest, LongNamesAndKilledWritesLeaveNoTemporaryFiles) {
    TempDir dir;
    std::string name;  // 250 bytes: no room for a temporary name made from it
    while (name.size() < 246) name += "\xC3\xA9";
    ASSERT_TRUE(WriteFileAtomically(dir.file(name + ".cfg"), "x"));
    EXPECT_EQ(StrayFiles(dir, 1), 0);
    std::filesystem::remove(dir.file(name + ".cfg"));

    // A write killed half way (by the file size limit) leaves its temporary file.
    const std::string path = dir.file("Ostrel.ini");
    EXPECT_EQ(InChild([&] {
                  const rlimit noCore{0, 0}, small{16, 16};
                  setrlimit(RLIMIT_CORE, &noCore);
                  setrlimit(RLIMIT_FSIZE, &small);
                  return WriteFileAtomically(path, std::string(1000, 'n')) ? 0 : 1;
              }),
              128 + SIGXFSZ);
    const std::string leftover = std::filesystem::directory_iterator(dir.path())->path();
    // An earlier version's leftover names its process, which has ended.
    const pid_t ended = fork();
    if (ended == 0) _exit(0);
    waitpid(ended, nullptr, 0);
    TempDir::Write(dir.file(".Ostrel.ini.tmp-" + std::to_string(ended) + "-0"), "");

    // While a write holds its lock its file stays; once the lock is gone it goes.
    const int held = open(leftover.c_str(), O_RDONLY);
    ASSERT_EQ(flock(held, LOCK_EX), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "a"));
    EXPECT_EQ(StrayFiles(dir, 1), 1);
    close(held);
    ASSERT_TRUE(WriteFileAtomically(path, "b"));
    EXPECT_EQ(StrayFiles(dir, 1), 0);
}

TEST(AtomicFileTest, ReplacedFileKeepsItsOwnerModeAndHardLinks) {
    TempDir dir;
    const std::string path = dir.file("a.cfg"), link = dir.file("b.cfg");
    TempDir::Write(path, "old");
    // Only root may give a file away.
    const uid_t owner = geteuid() == 0 ? 65534 : geteuid();
    const gid_t group = geteuid() == 0 ? 65534 : getegid();
    ASSERT_EQ(chown(path.c_str(), owner, group) | chmod(path.c_str(), 0640), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "new"));
    struct stat st;
    ASSERT_EQ(stat(path.c_str(), &st), 0);
    EXPECT_EQ(std::make_tuple(st.st_mode & 07777, st.st_uid, st.st_gid),
              std::make_tuple(0640u, owner, group));

    ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
    ASSERT_TRUE(WriteFileAtomically(path, "linked and longer"));
    ASSERT_TRUE(WriteFileAtomically(link, "linked"));
    EXPECT_EQ(TempDir::Read(path), "linked");
    EXPECT_EQ(StrayFiles(dir, 2), 0);
}

// Where the folder takes no new file, a writable file is written in place; a new
// file is refused, and the check before a write says why.
TEST(AtomicFileTest, WritableFileInAFolderThatTakesNoNewFileIsWrittenInPlace) {
    TempDir dir;
    const std::string folder = dir.file("locked"), path = folder + "/midi.syx";
    std::filesystem::create_directory(folder);
    TempDir::Write(path, "a much longer old content");
    ASSERT_EQ(
        chmod(path.c_str(), 0666) | chmod(folder.c_str(), 0555) | chmod(dir.path().c_str(), 0755),
        0);
    const int status = InChild(
        [&] {
            std::string why;
            return CanWriteFile(path) && !CanWriteFile(folder + "/new.syx", &why) &&
                           why == "Permission denied" &&
                           !WriteFileAtomically(folder + "/new.syx", "x") &&
                           WriteFileAtomically(path, "new")
                       ? 0
                       : 1;
        },
        true);
    chmod(folder.c_str(), 0755);
    EXPECT_EQ(status, 0);
    EXPECT_EQ(TempDir::Read(path), "new");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// Another user's file in a shared folder: the saver cannot give a new file that
// owner, so the file is written in place and stays its owner's.
TEST(AtomicFileTest, AnotherUsersFileInASharedFolderKeepsItsOwner) {
    if (geteuid() != 0) GTEST_SKIP() << "needs root to act as two users";
    TempDir dir;
    const std::string folder = dir.file("shared"), path = folder + "/live.cfg";
    std::filesystem::create_directory(folder);
    TempDir::Write(path, "[KNOB01]\nDATA=001\n");
    ASSERT_EQ(chmod(folder.c_str(), 0777) | chmod(path.c_str(), 0666) |
                  chmod(dir.path().c_str(), 0755) | chown(path.c_str(), 0, 0),
              0);
    struct stat before, after;
    ASSERT_EQ(stat(path.c_str(), &before), 0);
    EXPECT_EQ(
        InChild([&] { return WriteFileAtomically(path, "[KNOB01]\nDATA=002\n") ? 0 : 1; }, true),
        0);
    ASSERT_EQ(stat(path.c_str(), &after), 0);
    EXPECT_EQ(std::make_tuple(after.st_ino, after.st_uid, after.st_gid),
              std::make_tuple(before.st_ino, uid_t{0}, gid_t{0}));
    EXPECT_EQ(TempDir::Read(path), "[KNOB01]\nDATA=002\n");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);
}

// An in-place write (here: a file with two hard links) stopped after each of its
// steps, as a kill would stop it: the next read gives the old content or the new
// one, never a mixture, and leaves both links holding exactly that.
TEST(AtomicFileTest, AnInPlaceWriteKilledAtAnyStepReadsAsOldOrNew) {
    struct Seam {
        ~Seam() { fault::StopInPlaceWriteAfter(0); }
    } seam;
    const std::string longer = "[KNOB01]\nDATA=001\n[KNOB02]\nDATA=002\n[VOLM]\nDATA=003\n";
    const std::string shorter = "[KNOB01]\nDATA=009\n";
    for (const auto& [old, next] : {std::pair{longer, shorter}, std::pair{shorter, longer}}) {
        for (int step = 1; step <= 7; ++step) {
            TempDir dir;
            const std::string path = dir.file("live.cfg"), link = dir.file("link.cfg");
            TempDir::Write(path, old);
            ASSERT_EQ(::link(path.c_str(), link.c_str()), 0);
            fault::StopInPlaceWriteAfter(step);
            EXPECT_FALSE(WriteFileAtomically(path, next));
            fault::StopInPlaceWriteAfter(0);
            EXPECT_NE(TempDir::Read(path), old) << step;  // the journal is there

            const std::string& expected = step < 2 ? old : next;  // step 2 completes the copy
            IniFile read;
            ASSERT_EQ(read.Load(link), StoreResult::Ok);
            EXPECT_EQ(read.Text(), expected) << step << " " << old.size();
            EXPECT_EQ(TempDir::Read(path), expected) << step;
            EXPECT_EQ(StrayFiles(dir, 2), 0);
            // The next write starts from what was read.
            ASSERT_TRUE(WriteFileAtomically(path, "[VOLM]\nDATA=###\n"));
            EXPECT_EQ(TempDir::Read(link), "[VOLM]\nDATA=###\n");
        }
    }
}

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

// Of any target, at start or at the next write there; locked or others' stay.
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
