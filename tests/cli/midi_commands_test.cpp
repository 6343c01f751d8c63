// ostrel-cli ports, run, send-syx, send-hex and receive-syx: help, usage errors
// and the refusals that need no MIDI system. Their work over a real MIDI system
// is tested in tests/end_to_end/ostrel_cli_test.cpp.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <sstream>
#include <tuple>

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

// Run where no MIDI system can be built: a command that gets as far as joining
// the graph ends with status 1 and that system's line, so status 2 shows that
// it was refused before.
Outcome RunCliWithoutMidi(const std::vector<std::string>& args) {
    std::vector<std::string> argv = {"/usr/bin/env", "OSTREL_MIDI_API=none", OSTREL_CLI_PATH};
    argv.insert(argv.end(), args.begin(), args.end());
    return RunProgram(argv);
}

std::string Repeated(const std::string& text, int count) {
    std::string all;
    for (int i = 0; i < count; ++i) all += text;
    return all;
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

// The text is the argument, checked before any port is opened: the
// transmission's messages as usage errors, status 2, nothing sent.
TEST(MidiCommands, SendHexRefusesBadTextsWithTheTransmissionMessages) {
    const std::pair<std::string, std::string> cases[] = {
        {"", "No data will be send ! \n"},
        {"7E 01 F7", "Send Data Is Invalidate,First Data Must be F0 ! \n"},
        {"90 3C 64", "Send Data Is Invalidate,First Data Must be F0 ! \n"},
        {"F0 7E 7F 06 01", "Send Data Is Invalidate , No F7 ! \n"},
        {"F0" + Repeated(" 00", 127) + " F7",
         "Send Data Is Too Long: at most 256 hex digits (128 bytes) can be sent ! \n"},
    };
    for (const auto& [text, message] : cases) {
        SCOPED_TRACE(text);
        const Outcome o = RunCli({"send-hex", text, "--out", "9999"});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err.rfind("ostrel-cli send-hex: " + message + "usage: ", 0), 0u) << o.err;
    }
}

TEST(MidiCommands, SendSyxChecksTheFileLikeTypedText) {
    test::TempDir dir;
    EXPECT_EQ(
        RunCli({"send-syx", dir.file("missing.syx"), "--out", "9999"}).err,
        "ostrel-cli: cannot read " + dir.file("missing.syx") + ": No such file or directory\n");
    test::TempDir::Write(dir.file("big.syx"), "\xF0" + std::string(198, '\x01') + "\xF7");
    const Outcome big = RunCli({"send-syx", dir.file("big.syx"), "--out", "9999"});
    EXPECT_EQ(big.status, 1);
    EXPECT_NE(big.err.find("Too Long"), std::string::npos) << big.err;
    test::TempDir::Write(dir.file("noend.syx"), std::string("\xF0\x01\x02", 3));
    EXPECT_EQ(RunCli({"send-syx", dir.file("noend.syx"), "--out", "9999"}).err,
              "ostrel-cli: Send Data Is Invalidate , No F7 ! \n");
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

    // An audio port is no MIDI port: said at once, not waited for.
    if (const std::string port = test::AnyAudioPort(); !port.empty()) {
        const Outcome audio = RunCli({"run", "--out", port});
        EXPECT_EQ(audio.status, 1);
        EXPECT_NE(audio.err.find(port + " is an audio port, not a MIDI port"), std::string::npos)
            << audio.err;
    }

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
    EXPECT_EQ(none.err.rfind(
                  "ostrel-cli: cannot join the JACK MIDI graph: no JACK or PipeWire server", 0),
              0u)
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

// One reader for every command: the same words for the same mistakes, then the
// usage line and status 2; a value after '=' as after a blank.
TEST(MidiCommands, EveryCommandReadsItsOptionsAlike) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"ports", "extra"}, "unexpected argument 'extra'"},
        {{"run", "--in", "x"}, "bad input port 'x'"},
        {{"run", "--out=-2"}, "bad output port '-2'"},
        {{"ports", "--name="}, "--name needs a value"},
        {{"run", "--monitor=1"}, "--monitor takes no value"},
        {{"run", "--explain"}, "--explain needs --monitor"},
        {{"run", "--config=a.cfg", "--setlist=b.setlist"},
         "--config and --setlist exclude each other"},
        {{"send-syx", "--bogus"}, "unknown option '--bogus'"},
        {{"receive-syx"}, "missing FILE.syx"},
        {{"receive-syx", "a.syx", "--timeout=0"}, "bad timeout '0': give seconds above 0"},
        {{"translate", "--touch=1,2"}, "--touch needs six whole numbers X1,Y1,X2,Y2,W,H"},
        {{"run", "--in", "0", "--in", "1"}, "--in is given twice"},
        {{"run", "--config=a.cfg", "--config", "b.cfg"}, "--config is given twice"},
        {{"ports", "--name", std::string(64, 'n')}, "--name is longer than 63 bytes (64 given)"},
    };
    for (const auto& [args, why] : cases) {
        const Outcome o = RunCliWithoutMidi(args);
        EXPECT_EQ(o.status, 2);
        const std::string start = "ostrel-cli " + args[0] + ": " + why;
        EXPECT_EQ(o.err.rfind(start, 0), 0u) << o.err;
        EXPECT_NE(o.err.find("\nusage: ostrel-cli " + args[0]), std::string::npos) << o.err;
        EXPECT_TRUE(o.out.empty());
    }
    for (const char* command : {"run", "translate"}) {
        const Outcome o = RunCliWithoutMidi({command, "--config=/no/such.cfg"});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err.rfind("ostrel-cli: cannot read configuration file", 0), 0u) << o.err;
    }
    // A setlist's file that cannot be read is named before the graph is joined.
    test::TempDir dir;
    test::TempDir::Write(dir.file("a.cfg"), "");
    test::TempDir::Write(dir.file("s.setlist"), "[SETLIST]\nFILE1=gone.cfg\nFILE2=a.cfg\n");
    for (const auto& [setlist, said] :
         {std::pair{dir.file("s.setlist"), "ostrel-cli: cannot read gone.cfg: "},
          std::pair{dir.file("no.setlist"), "ostrel-cli: cannot read setlist "}}) {
        const Outcome o = RunCliWithoutMidi({"run", "--setlist", setlist});
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err.rfind(said, 0), 0u) << o.err;
    }
}

// Nothing remembered in Ostrel.ini (or the window's "none") is no port: the
// command line never takes the first listed one.
TEST(MidiCommands, NoPortRememberedIsNoPortChosen) {
    const std::string none = "[DEVNAME]\nMIDIOUT=-1\nMIDIOUTNAME=\nMIDIIN=-1\n";
    const std::string chosen = " port chosen: give ";
    const std::tuple<std::string, std::vector<std::string>, int, std::string> cases[] = {
        {"",
         {"send-hex", "F0 F7"},
         2,
         "send-hex: no MIDI output" + chosen + "--out, or choose one"},
        {none, {"send-syx", "a.syx"}, 2, "send-syx: no MIDI output" + chosen + "--out,"},
        {none, {"receive-syx", "a.syx"}, 2, "receive-syx: no MIDI input" + chosen + "--in,"},
        {"", {"run", "--remembered"}, 2, "run: no MIDI input or output" + chosen + "--in or"},
        // What is remembered is used: the command goes on to the MIDI system.
        {"[DEVNAME]\nMIDIOUT=0\n", {"send-hex", "F0 F7"}, 1, ": OSTREL_MIDI_API is 'none'"},
        {"[DEVNAME]\nMIDIINNAME=k:out\n",
         {"run", "--remembered"},
         1,
         ": no MIDI output port remembered in Ostrel.ini; it stays unconnected"},
    };
    for (const auto& [ini, args, status, err] : cases) {
        test::TempDir dir;
        if (!ini.empty()) test::TempDir::Write(dir.file("Ostrel.ini"), ini);
        test::ScopedCwd cwd(dir.path());
        const Outcome o = RunCliWithoutMidi(args);
        EXPECT_EQ(o.status, status) << ini << args[0];
        // A refusal names its command, as every usage error does.
        const std::string line = status == 2 ? "ostrel-cli " + err : "ostrel-cli" + err;
        EXPECT_NE(o.err.find(line), std::string::npos) << o.err;
    }
}

TEST(MidiCommands, SendHexRefusesEveryTokenThatIsNotTwoHexDigits) {
    const std::pair<const char*, const char*> cases[] = {
        {"F0 ZZ F7", "'ZZ'"},  {"F0 -1 F7", "'-1'"},     {"F0 1 02 F7", "'1'"},
        {"F07E F7", "'F07E'"}, {"F0 0x7E F7", "'0x7E'"}, {"F0 \x01 F7", "'\\x01'"},
    };
    for (const auto& [text, token] : cases) {
        const Outcome o = RunCliWithoutMidi({"send-hex", text, "--out", "0"});
        EXPECT_EQ(o.status, 2);
        EXPECT_EQ(o.err.substr(0, o.err.find('\n') + 1),
                  std::string("ostrel-cli send-hex: bad byte ") + token +
                      ": each byte is two hex digits\n");
    }
}

// A pipe or a device is never waited on, read as a message or replaced by a
// regular file.
TEST(MidiCommands, PipesAndDevicesAreRefusedAsFiles) {
    test::TempDir dir;
    const std::string fifo = dir.file("pipe.syx");
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const struct {
        std::vector<std::string> args;
        std::string err;
    } cases[] = {
        {{"send-syx", fifo, "--out", "0"}, "ostrel-cli: cannot read " + fifo},
        {{"send-syx", "/dev/zero", "--out", "0"}, "ostrel-cli: cannot read /dev/zero"},
        {{"receive-syx", fifo, "--in", "0"}, "ostrel-cli: cannot write " + fifo},
        {{"receive-syx", "/dev/null", "--in", "0"}, "ostrel-cli: cannot write /dev/null"},
    };
    for (const auto& c : cases) {
        const Outcome o = RunCliWithoutMidi(c.args);
        EXPECT_EQ(o.status, 1);
        EXPECT_EQ(o.err, c.err + ": not a regular file\n");
    }
    struct stat st {};
    ASSERT_EQ(stat(fifo.c_str(), &st), 0);
    EXPECT_TRUE(S_ISFIFO(st.st_mode));
}

}  // namespace
}  // namespace ostrel
