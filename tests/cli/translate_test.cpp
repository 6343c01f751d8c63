// ostrel-cli translate, run as a real program: messages in on stdin, what the
// pass-through would send out on stdout.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace ostrel::test {
namespace {

struct CliRun {
    std::string out;
    std::string err;
    int status = -1;  // exit status
};

CliRun Translate(const std::string& input, std::vector<std::string> args = {}) {
    TempDir dir;
    const std::string in = dir.file("in.txt"), out = dir.file("out.txt"), err = dir.file("err.txt");
    TempDir::Write(in, input);
    args.insert(args.begin(), {OSTREL_CLI_PATH, "translate"});
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = fork();
    if (pid == 0) {
        const int fdIn = open(in.c_str(), O_RDONLY);
        const int fdOut = open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int fdErr = open(err.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (fdIn < 0 || fdOut < 0 || fdErr < 0) _exit(126);
        dup2(fdIn, 0);
        dup2(fdOut, 1);
        dup2(fdErr, 2);
        execv(argv[0], argv.data());
        _exit(127);
    }
    CliRun run;
    int wstatus = 0;
    if (pid > 0 && waitpid(pid, &wstatus, 0) == pid && WIFEXITED(wstatus))
        run.status = WEXITSTATUS(wstatus);
    run.out = TempDir::Read(out);
    run.err = TempDir::Read(err);
    return run;
}

// Writes a configuration file holding only the given sections; the rest take
// their defaults.
std::string WriteConfig(const TempDir& dir, const std::string& content) {
    const std::string path = dir.file("test.cfg");
    TempDir::Write(path, content);
    return path;
}

TEST(TranslateCliTest, DefaultTablePassesAndTransportButtonsReplace) {
    const CliRun run = Translate(
        "# knob, note, clock, program change, aftertouch, song position\n"
        "\n"
        "B2 4A 40\n"
        "90 3c 64\n"
        "F8\n"
        "c0 05\n"
        "D0 7F\n"
        "F2 00 00\n"
        "F2 10 00\n"
        "F2 08 00\n"
        "FC\n"
        "FA\n"
        "F6\n"
        "F0 7E 7F 09 01 F7\n"
        "F0 00 5A 52 4B 0B F7\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(run.out,
              "B2 4A 40\n"
              "90 3C 64\n"
              "F8\n"
              "C0 05\n"
              "D0 7F\n"
              "B0 73 7F\n"
              "B0 75 7F\n"
              "B0 74 7F\n"
              "B0 76 7F\n"
              "B0 77 7F\n"
              "F6\n"
              "F0 7E 7F 09 01 F7\n"
              "F0 00 5A 52 4B 0B F7\n");
}

TEST(TranslateCliTest, ConfigurationFileDrivesTheEngine) {
    TempDir dir;
    const std::string cfg = WriteConfig(dir,
                                        "[NOTE]\nDATA3C=064\nDATA3E=###\n"
                                        "[KNOB01]\nDATA=007\n"
                                        "[KNOB02]\nDATA=###\n"
                                        "[VOL01]\nDATA=011\n"
                                        "[VOLM]\nDATA=007\n"
                                        "[PITCH]\nDATA=001\n"
                                        "[GMON]\nDATA=###\n"
                                        "[KNOB08]\nDATA=###\n"
                                        "[CHANEL]\nDATA=***\n");
    const CliRun run = Translate(
        "B2 4A 40\n"
        "B0 47 10\n"
        "B0 07 64\n"
        "B1 07 64\n"
        "F0 7F 7F 04 01 7F 64 F7\n"
        "90 3C 64\n"
        "80 3C 40\n"
        "90 3E 64\n"
        "91 3C 64\n"
        "E0 00 40\n"
        "F8\n"
        "F0 7E 7F 09 01 F7\n",
        {"--config", cfg});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out,
              "B2 07 40\n"
              "--\n"
              "B0 0B 64\n"
              "B1 07 64\n"
              "B0 07 64\n"
              "B0 40 7F\n"
              "--\n"
              "--\n"
              "91 3C 64\n"
              "B0 01 40\n"
              "--\n"
              "--\n");
}

TEST(TranslateCliTest, OutputChannelAndChannelCodesOutOfRange) {
    TempDir dir;
    const CliRun moved =
        Translate("B2 4A 40\nC0 05\nF8\n", {"--config", WriteConfig(dir, "[CHANEL]\nDATA=010\n")});
    EXPECT_EQ(moved.out, "B9 4A 40\nC9 05\nF8\n");
    // A channel outside 1..16 leaves every message on its own channel.
    const CliRun kept =
        Translate("B2 4A 40\nC0 05\n", {"--config", WriteConfig(dir, "[CHANEL]\nDATA=017\n")});
    EXPECT_EQ(kept.out, "B2 4A 40\nC0 05\n");
}

// A hand-edited file: codes of one or two digits are controller numbers, a value
// in double quotes is read without them; only codes no controller has pass.
TEST(TranslateCliTest, HandEditedCodesOfFewerDigitsAndQuotedValues) {
    TempDir dir;
    const std::string cfg = WriteConfig(dir,
                                        "[KNOB01]\nDATA=1\n[KNOB02]\nDATA=07\n"
                                        "[KNOB03]\nDATA=\"012\"\n[KNOB04]\nDATA=200\n"
                                        "[KNOB05]\nDATA=1x\n[CHANEL]\nDATA=\"2\"\n");
    const CliRun run =
        Translate("B0 4A 40\nB0 47 40\nB0 49 40\nB0 48 40\nB0 0A 40\n", {"--config", cfg});
    EXPECT_EQ(run.out, "B1 01 40\nB1 07 40\nB1 0C 40\nB1 48 40\nB1 0A 40\n") << run.err;
}

TEST(TranslateCliTest, RecordSwallowsTheNextSongPositionAcrossLines) {
    const CliRun run = Translate(
        "F0 7F 00 06 06 F7\n"
        "F2 00 00\n"
        "F2 00 00\n");
    EXPECT_EQ(run.out, "B0 72 7F\n--\nB0 73 7F\n");
}

TEST(TranslateCliTest, LongSystemExclusiveIsPassedIntact) {
    // 300 bytes: recognition sees the first 256, the output is the whole message.
    std::string in = "F0";
    for (int i = 1; i < 299; ++i) {
        char byte[4];
        std::snprintf(byte, sizeof byte, " %02x", (i * 7) % 128);
        in += byte;
    }
    in += " F7";
    std::string expected = in;
    for (char& c : expected) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    const CliRun run = Translate(in + "\n");
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, expected + "\n");
    EXPECT_EQ(run.out.size(), 300u * 3);

    // A recognised message longer than 256 bytes (master volume passed on) stays whole too.
    std::string volume = "F0 7F 7F 04 01 7F 40";
    for (int i = 7; i < 299; ++i) volume += " 11";
    volume += " F7";
    EXPECT_EQ(Translate(volume + "\n").out, volume + "\n");
}

TEST(TranslateCliTest, BadLinesAreReportedAndTheRestStillRuns) {
    const CliRun run = Translate(
        "B0 4A 40\n"
        "B0 4X 40\n"
        "3C 40\n"
        "90 3C 40 00\n"
        "90 90 40\n"
        "9\n"
        "FA\n");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.out, "B0 4A 40\nB0 77 7F\n");
    const std::string lines[] = {
        "ostrel-cli: line 2: ", "ostrel-cli: line 3: ", "ostrel-cli: line 4: ",
        "ostrel-cli: line 5: ", "ostrel-cli: line 6: "};
    size_t at = 0;
    for (const std::string& l : lines) {
        const size_t found = run.err.find(l, at);
        ASSERT_NE(found, std::string::npos) << l << "\n" << run.err;
        at = found + l.size();
    }
    EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 5);

    // A bad token of any length is quoted by its start only.
    const CliRun huge = Translate("90 " + std::string(1000000, '7') + "\n");
    EXPECT_EQ(huge.err,
              "ostrel-cli: line 1: '77777777777777777777...' (1000000 characters) "
              "is not a hex byte (two hex digits)\n");

    // A NUL or another control byte is shown escaped, and the line goes on past it.
    const CliRun control = Translate(std::string("90 3\0C 40\n", 10) + "90 \x1b[31m 40\n");
    EXPECT_EQ(control.err,
              "ostrel-cli: line 1: '3\\x00C' is not a hex byte (two hex digits)\n"
              "ostrel-cli: line 2: '\\x1B[31m' is not a hex byte (two hex digits)\n");
}

TEST(TranslateCliTest, ShortMessagesPrintTheirStatusLength) {
    const CliRun run = Translate("C3\r\nF2 01\nF3 05\n \t\nF1 10\nA0 3C 10\nFF\n");
    EXPECT_EQ(run.out, "C3 00\nB0 75 7F\nF3 05\nF1 10\nA0 3C 10\nFF\n");
}

TEST(TranslateCliTest, VelocityAndTouchCurves) {
    const CliRun run = Translate("90 3C 0A\n90 3C 32\n80 3C 64\n90 3C 7F\n90 3C 00\nD0 32\n",
                                 {"--velocity", "64,128,192,32,256,256"});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "90 3C 14\n90 3C 4D\n80 3C 71\n90 3C 7F\n90 3C 00\nD0 32\n");

    const CliRun touch = Translate("D5 32\n90 3C 32\n", {"--touch=64,128,192,32,256,256"});
    EXPECT_EQ(touch.out, "D5 4D\n90 3C 32\n");
}

TEST(TranslateCliTest, UsageAndRuntimeErrors) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--velocity", "1,2,3"},
                                               {"--velocity", "1,2,3,4,5,6,7"},
                                               {"--touch", "a,b,c,d,e,f"},
                                               {"--velocity"},
                                               {"--bogus"},
                                               {"extra"}}) {
        const CliRun run = Translate("", args);
        EXPECT_EQ(run.status, 2) << args[0];
        EXPECT_NE(run.err.find("usage: ostrel-cli translate"), std::string::npos);
    }
    TempDir dir;
    const CliRun missing = Translate("B0 4A 40\n", {"--config", dir.file("absent.cfg")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_NE(missing.err.find("ostrel-cli: "), std::string::npos);
}

// --config as a user meets it: UTF-16 files from Windows read as their table;
// what is no configuration is refused with one line that says why, exit 1.
TEST(TranslateCliTest, ConfigFilesInWindowsEncodingsReadAndOthersAreRefusedWithTheirReason) {
    TempDir dir;
    const std::string text = "[KNOB01]\r\nDATA=007\r\n";
    std::string le = "\xFF\xFE", be = "\xFE\xFF";
    for (const char c : text) le += {c, '\0'}, be += {'\0', c};
    TempDir::Write(dir.file("le.cfg"), le);
    TempDir::Write(dir.file("be.cfg"), be);
    TempDir::Write(dir.file("dump.syx"), "\xF0\x42\x30\x00\x01\x2F\x51\xF7");
    ASSERT_EQ(mkfifo(dir.file("pipe.cfg").c_str(), 0600), 0);
    const struct {
        std::string file;
        int status;
        std::string out, err;
    } cases[] = {
        {dir.file("le.cfg"), 0, "B0 07 40\n", ""},
        {dir.file("be.cfg"), 0, "B0 07 40\n", ""},
        {dir.file("dump.syx"), 1, "", "not an Ostrel configuration file"},
        {dir.file("pipe.cfg"), 1, "", "not a regular file"},
        {"/dev/zero", 1, "", "not a regular file"},
        {dir.file("none.cfg"), 1, "", "No such file or directory"},
    };
    for (const auto& c : cases) {
        const CliRun run = Translate("B0 4A 40\n", {"--config", c.file});
        EXPECT_EQ(run.status, c.status) << c.file;
        EXPECT_EQ(run.out, c.out) << c.file;
        const std::string line = c.err.empty() ? ""
                                               : "ostrel-cli: cannot read configuration file '" +
                                                     c.file + "': " + c.err + "\n";
        EXPECT_EQ(run.err, line) << c.file;
    }
}

}  // namespace
}  // namespace ostrel::test
