// ostrel-cli check-syx, run as a real program over .syx and .cfg files: one
// line per control, status 3 when a line is marked, bad files as send-syx says.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/child_process.h"
#include "support/temp_dir.h"
#include "sysex/bulk_dump.h"

namespace ostrel {
namespace {

// The template with the nineteen fields set to numbers, in field order.
std::string Dump(const std::vector<int>& numbers = {}) {
    std::vector<uint8_t> dump;
    HexTextToByteVector(kDumpTemplateText, dump);
    for (size_t i = 0; i < numbers.size(); ++i) dump[kDumpFields[i].offset] = numbers[i];
    return std::string(dump.begin(), dump.end());
}

const std::vector<int> kFactory = {64, 2, 74, 71, 73, 72, 10, 91, 93, 3,
                                   39, 7, 7,  7,  7,  7,  7,  7,  7};

TEST(CheckSyxCli, PrintsALinePerControlAndSaysByItsStatusWhetherOneIsMarked) {
    test::TempDir dir;
    const auto file = [&](const char* name, const std::string& content) {
        test::TempDir::Write(dir.file(name), content);
        return dir.file(name);
    };
    std::vector<int> knob1Sends7 = kFactory;
    knob1Sends7[2] = 7;
    const std::string tmpl = file("template.syx", Dump()),
                      factory = file("factory.syx", Dump(kFactory)),
                      knob1 = file("knob1.syx", Dump(knob1Sends7)),
                      cfg = file("live.cfg", "[SUSTAIN]\nDATA=###\n[VOL01]\nDATA=011\n");
    const std::string fifo = dir.file("pipe.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        int status;
        std::string expected;  // a line of stdout, or the whole of stderr
    } cases[] = {
        {{tmpl},
         3,
         "Knob3    000  ch 1   -         not recognised: passes unchanged  Bank Select  ! its own "
         "KNOB03 no longer acts on it; bank select changes the synth's state\n"},
        {{factory}, 0, "Knob1    074  ch 1   KNOB01    passed"},
        {{"--config", cfg, knob1}, 3, "VOL01     replaced by controller 11"},
        {{file("short.syx", Dump().substr(0, 15) + "\xF7")},
         3,
         "Fader8   ---  ch 8   -         not in the dump  ! the dump sets no controller number for "
         "it\n"},
        {{dir.file("missing.syx")},
         1,
         "ostrel-cli: cannot read " + dir.file("missing.syx") + ": No such file or directory\n"},
        {{fifo}, 1, "ostrel-cli: cannot read " + fifo + ": not a regular file\n"},
        {{file("noend.syx", std::string("\xF0\x00\x5A\x52\x4B\x0B", 6))},
         1,
         "ostrel-cli: Send Data Is Invalidate , No F7 ! \n"},
        {{file("gm.syx", "\xF0\x7E\x7F\x09\x01\xF7")},
         1,
         "ostrel-cli: " + dir.file("gm.syx") +
             " is not a bulk dump: a dump begins F0 00 5A 52 4B\n"},
        {{factory, "--config", dir.file("none.cfg")}, 1, "ostrel-cli: cannot read configuration"},
        {{}, 2, "usage: ostrel-cli check-syx FILE.syx [--config FILE.cfg]\n"},
    };
    for (const auto& c : cases) {
        std::vector<std::string> argv = {OSTREL_CLI_PATH, "check-syx"};
        argv.insert(argv.end(), c.args.begin(), c.args.end());
        test::ChildProcess child(argv);
        const int status = child.Wait(std::chrono::seconds(60));
        SCOPED_TRACE(argv.back() + "\n" + child.Out() + child.Err());
        EXPECT_EQ(status, c.status);
        const bool checked = c.status == 0 || c.status == 3;
        EXPECT_NE((checked ? child.Out() : child.Err()).find(c.expected), std::string::npos);
        // Nineteen lines in the dump's field order, or none.
        EXPECT_EQ(std::count(child.Out().begin(), child.Out().end(), '\n'), checked ? 19 : 0);
        EXPECT_EQ(child.Out().rfind("Sustain ", 0), checked ? 0u : std::string::npos);
    }
}

}  // namespace
}  // namespace ostrel
