// ostrel-cli ports, run, send-syx, send-hex and receive-syx: help, usage errors
// and the refusals that need no MIDI system. Their work over a real MIDI system
// is tested in tests/end_to_end/ostrel_cli_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <sstream>

#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

struct Outcome {
    int status;
    std::string out, err;
};

Outcome RunProgram(const std::vector<std::string>& argv) {
    test::ChildProcess child(argv);
    const int status = child.Wait(std::chrono::seconds(60));
    return {status, child.Out(), child.Err()};
}

Outcome RunCli(std::vector<std::string> args) {
    args.insert(args.begin(), OSTREL_CLI_PATH);
    return RunProgram(args);
}

TEST(MidiCommands, EveryCommandExplainsItself) {
    const std::pair<const char*, const char*> commands[] = {
        {"ports", "usage: ostrel-cli ports [--name NAME]\n"},
        {"run", "usage: ostrel-cli run [--config FILE.cfg] [--in PORT] [--out PORT]"},
        {"send-syx", "usage: ostrel-cli send-syx FILE.syx [--out PORT]\n"},
        {"send-hex", "usage: ostrel-cli send-hex \"F0 .. F7\" [--out PORT]\n"},
        {"receive-syx", "usage: ostrel-cli receive-syx FILE.syx [--in PORT] [--timeout SECONDS]"},
    };
    for (const auto& [name, usage] : commands) {
        SCOPED_TRACE(name);
        const Outcome help = RunCli({name, "--help"});
        EXPECT_EQ(help.status, 0);
        EXPECT_EQ(help.out.rfind(usage, 0), 0u) << help.out;
    }
}

TEST(MidiCommands, BadArgumentsExitWithStatus2) {
    const std::vector<std::vector<std::string>> cases = {
        {"ports", "extra"},
        {"run", "--in", "x"},
        {"run", "--out", "-2"},
        {"run", "--bogus"},
        {"run", "--config"},
        {"run", "--explain"},  // explains monitor lines: needs --monitor
        {"send-hex"},
        {"send-hex", "F0F7", "--out"},
        {"send-hex", "F0F7", "--out", "synth"},
        {"receive-syx", "a.syx", "--in", "-5"},
        {"send-syx", "a.syx", "b.syx"},
        {"receive-syx"},
        {"receive-syx", "a.syx", "--timeout", "0"},
        {"receive-syx", "a.syx", "--timeout", "soon"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args[0] + " " + (args.size() > 1 ? args[1] : ""));
        const Outcome o = RunCli(args);
        EXPECT_EQ(o.status, 2);
        EXPECT_NE(o.err.find("usage: ostrel-cli " + args[0]), std::string::npos) << o.err;
        EXPECT_TRUE(o.out.empty());
    }
}

// The text is checked before any port is opened: the transmission's messages,
// one line each, status 1, nothing sent.
TEST(MidiCommands, SendHexRefusesBadTextsWithTheTransmissionMessages) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "ostrel-cli: No data will be send ! \n"},
        {"7E 01 F7", "ostrel-cli: Send Data Is Invalidate,First Data Must be F0 ! \n"},
        {"F0 01 0", "ostrel-cli: Send Data Is Invalidate,First Data Must be F0 ! \n"},
        {"F0 01 02", "ostrel-cli: Send Data Is Invalidate , No F7 ! \n"},
        {"F0" + std::string(254, '0') + "F7",
         "ostrel-cli: Send Data Is Too Long: at most 256 hex digits (128 bytes) can be sent ! \n"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        const Outcome o = RunCli({"send-hex", text, "--out", "9999"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, message);
    }
}

TEST(MidiCommands, SendSyxChecksTheFileLikeTypedText) {
    test::TempDir dir;
    EXPECT_EQ(RunCli({"send-syx", dir.file("missing.syx")}).err,
              "ostrel-cli: cannot read " + dir.file("missing.syx") + "\n");
    test::TempDir::Write(dir.file("big.syx"), "\xF0" + std::string(198, '\x01') + "\xF7");
    const Outcome big = RunCli({"send-syx", dir.file("big.syx"), "--out", "9999"});
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.err.find("Too Long"), std::string::npos) << big.err;
    test::TempDir::Write(dir.file("noend.syx"), std::string("\xF0\x01\x02", 3));
    EXPECT_EQ(RunCli({"send-syx", dir.file("noend.syx"), "--out", "9999"}).err,
              "ostrel-cli: Send Data Is Invalidate , No F7 ! \n");
    // Read no further than the check needs: a file that never ends is refused too.
    const Outcome endless = RunCli({"send-syx", "/dev/zero", "--out", "9999"});
    EXPECT_EQ(endless.status, 1);
    EXPECT_NE(endless.err.find("Too Long"), std::string::npos) << endless.err;
}

// A target that cannot be written is refused before the input opens, not after
// the dump arrived.
TEST(MidiCommands, ReceiveSyxRefusesATargetItCannotWriteBeforeWaiting) {
    test::TempDir dir;
    for (const std::string why : {"/no/such.syx: No such file or directory", ": Is a directory"}) {
        const std::string path = dir.path() + why.substr(0, why.find(':'));
        const Outcome o = RunCli({"receive-syx", path, "--in", "9999"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, "ostrel-cli: cannot write " + dir.path() + why + "\n");
    }
}

TEST(MidiCommands, UnusablePortsAndFilesAreRuntimeErrors) {
    const Outcome send = RunCli({"send-hex", "F0 7E 7F 09 01 F7", "--out", "9999"});
    EXPECT_EQ(send.status, 1);
    EXPECT_NE(send.err.find("ostrel-cli: no MIDI output port 9999 ("), std::string::npos)
        << send.err;

    test::TempDir dir;
    const Outcome receive = RunCli({"receive-syx", dir.file("x.syx"), "--in", "9999"});
    EXPECT_EQ(receive.status, 1);
    EXPECT_NE(receive.err.find("ostrel-cli: no MIDI input port 9999 ("), std::string::npos)
        << receive.err;

    const Outcome run = RunCli({"run", "--config", dir.file("missing.cfg")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.rfind("ostrel-cli: cannot read configuration file ", 0), 0u) << run.err;
    // A folder is no configuration file either.
    const Outcome folder = RunCli({"run", "--config", dir.path()});
    EXPECT_EQ(folder.status, 1);
    EXPECT_NE(folder.err.find("not a regular file"), std::string::npos) << folder.err;
}

// With no MIDI system at all: one line that says what was tried, status 1, and
// nothing of the MIDI libraries' own messages; an unknown choice is refused.
TEST(MidiCommands, WithoutAMidiSystemOneLineSaysWhy) {
    const Outcome bogus =
        RunProgram({"/usr/bin/env", "OSTREL_MIDI_API=bogus", OSTREL_CLI_PATH, "ports"});
    EXPECT_EQ(bogus.status, 1);
    EXPECT_EQ(bogus.err,
              "ostrel-cli: OSTREL_MIDI_API is 'bogus'; valid values: jack, pipewire, alsa\n");
    if (test::OnPipeWire()) GTEST_SKIP() << test::kNotOnPipeWire;
    const Outcome none = RunProgram({"/usr/bin/env", "JACK_DEFAULT_SERVER=ostrel-nobody",
                                     "OSTREL_MIDI_API=", OSTREL_CLI_PATH, "ports"});
    EXPECT_EQ(none.status, 1);
    EXPECT_EQ(none.err.rfind("ostrel-cli: cannot join the JACK MIDI graph: no JACK server", 0), 0u)
        << none.err;
    EXPECT_EQ(std::count(none.err.begin(), none.err.end(), '\n'), 1) << none.err;
}

// Without --in and --out the devices remembered in Ostrel.ini of the current
// directory are used, by name.
TEST(MidiCommands, DevicesDefaultToTheSettingsFile) {
    test::TempDir dir;
    test::TempDir::Write(dir.file("Ostrel.ini"),
                         "[DEVNAME]\nMIDIIN=0\nMIDIINNAME=gone:keys\nMIDIOUT=0\n"
                         "MIDIOUTNAME=gone:synth\n");
    test::ScopedCwd cwd(dir.path());
    EXPECT_NE(RunCli({"send-hex", "F0 F7"}).err.find("MIDI output gone:synth not connected"),
              std::string::npos);
    EXPECT_NE(RunCli({"receive-syx", "x.syx"}).err.find("MIDI input gone:keys not connected"),
              std::string::npos);
}

TEST(MidiCommands, PortsListsBothDirectionsUnderTheirHeadings) {
    const Outcome o = RunCli({"ports"});
    EXPECT_EQ(o.status, 0);
    // First which system the ports belong to.
    const std::string system = test::OnPipeWire() ? "PipeWire" : "JACK";
    const std::string heading = "MIDI SYSTEM " + system + "\nMIDI IN DEVICE\n";
    const size_t out = o.out.find("MIDI OUT DEVICE\n");
    EXPECT_EQ(o.out.rfind(heading, 0), 0u) << o.out;
    ASSERT_NE(out, std::string::npos) << o.out;
    // Every other line is an entry "NN:name", numbered from 00 in each list.
    std::istringstream lines(o.out);
    std::string line;
    int expected = 0;
    while (std::getline(lines, line)) {
        if (line.rfind("MIDI SYSTEM ", 0) == 0) continue;
        if (line == "MIDI IN DEVICE" || line == "MIDI OUT DEVICE") {
            expected = 0;
            continue;
        }
        char prefix[16];
        std::snprintf(prefix, sizeof prefix, "%02d:", expected++);
        EXPECT_EQ(line.rfind(prefix, 0), 0u) << line;
    }
}

}  // namespace
}  // namespace ostrel
