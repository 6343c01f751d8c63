// ostrel-cli run and receive-syx as a user runs them: the real binary beside a
// private JACK server, fed and read by a test client of our own.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "core/assignment_table.h"
#include "core/config_file.h"
#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"
#include "support/test_server.h"

namespace ostrel {
namespace {

using test::Bytes;
using test::ChildProcess;
using test::kJackWait;

class CliOverJack : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
        client = std::make_unique<test::JackTestClient>(test::UniqueName("otest"));
        ASSERT_TRUE(client->ok()) << "cannot join the JACK server";
    }

    // Starts ostrel-cli with the test client's ports as devices (by full name)
    // and waits until it said "ready" and its ports are connected to ours.
    std::unique_ptr<ChildProcess> Start(std::vector<std::string> args, bool withOutput) {
        std::vector<std::string> argv = {OSTREL_CLI_PATH};
        argv.insert(argv.end(), args.begin(), args.end());
        argv.insert(argv.end(), {"--in", client->OutPort()});
        if (withOutput) argv.insert(argv.end(), {"--out", client->InPort()});
        auto child = std::make_unique<ChildProcess>(argv);
        if (!child->WaitForErr("ready", kJackWait)) {
            ADD_FAILURE() << "no \"ready\": " << child->Err();
            return child;
        }
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        while (
            !(test::ConnectedOnlyTo(client->OutConnections(), "Ostrel", ":in") &&
              (!withOutput || test::ConnectedOnlyTo(client->InConnections(), "Ostrel", ":out")))) {
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "ostrel-cli is not connected to the test client: " << child->Err();
                return nullptr;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return child;
    }

    // A client that joined the graph a moment ago may miss its first cycles on
    // a loaded machine: send tune requests (passed unchanged, shown by the
    // monitor) until one comes through, then forget them. Returns how much of
    // stdout they took.
    size_t WaitUntilLive(ChildProcess& cli, bool viaOutput) {
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        for (;;) {
            client->Send({0xF6});
            const bool live = viaOutput ? client->WaitForCount(1, std::chrono::milliseconds(100))
                                        : cli.WaitForOutLines(1, std::chrono::milliseconds(100));
            if (live) break;
            if (std::chrono::steady_clock::now() > deadline) {
                ADD_FAILURE() << "nothing came through ostrel-cli";
                break;
            }
        }
        client->WaitUntilPlayed(kJackWait);
        if (viaOutput) {
            // Every probe that went out has its monitor line.
            cli.WaitForOutLines(client->Received().size(), kJackWait);
        }
        client->ClearReceived();
        return cli.Out().size();
    }

    std::unique_ptr<test::JackTestClient> client;
    test::TempDir dir;
};

TEST_F(CliOverJack, RunTranslatesShowsMonitorLinesAndStopsOnSigterm) {
    dir.Write(dir.file("knob.cfg"), "[KNOB01]\nDATA=007\n");
    auto cli = Start({"run", "--config", dir.file("knob.cfg"), "--monitor"}, true);
    ASSERT_TRUE(cli);
    const size_t probes = WaitUntilLive(*cli, true);
    const size_t probeLines = std::count(cli->Out().begin(), cli->Out().end(), '\n');
    ASSERT_TRUE(client->Send({0xB0, 0x4A, 0x40}));
    ASSERT_TRUE(client->Send({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}));
    const bool arrived = client->WaitForCount(2, kJackWait);
    const bool shown = cli->WaitForOutLines(probeLines + 2, kJackWait);
    ASSERT_TRUE(arrived && shown) << "received " << client->Received().size() << " cycles "
                                  << client->Cycles() << " written " << client->Written()
                                  << "\nstdout:\n"
                                  << cli->Out() << "stderr:\n"
                                  << cli->Err();
    EXPECT_EQ(client->Received(),
              (std::vector<Bytes>{{0xB0, 0x07, 0x40}, {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}}));

    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    const std::string out = cli->Out().substr(probes);
    const size_t first = out.find('\n');
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(out.substr(17, first + 1 - 17), "    B0 4A 40       =>   B0 07 40       \n");
    EXPECT_EQ(out.substr(first + 1 + 17), "   f0 00 5a 52 4b 0b f7     => No Change \r\n");
    EXPECT_EQ(cli->Err().find("dropped"), std::string::npos);
}

// On a PipeWire desktop without jackd nobody types pw-jack: ostrel-cli takes
// PipeWire's libjack by itself, and its ports are in PipeWire's graph.
TEST_F(CliOverJack, OnPipeWireThePortsAppearWithoutPwJack) {
    if (!test::OnPipeWire()) GTEST_SKIP() << "needs PipeWire: scripts/with-pipewire.sh";
    const std::string name = test::UniqueName("Auto");
    ChildProcess cli({"/usr/bin/env", "-u", "LD_LIBRARY_PATH", "-u", "OSTREL_MIDI_API", "-u",
                      "JACK_DEFAULT_SERVER", OSTREL_CLI_PATH, "run", "--name", name, "--in",
                      client->OutPort()});
    ASSERT_TRUE(cli.WaitForErr("ready", kJackWait)) << cli.Err();
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    while (client->OutConnections() != std::vector<std::string>{name + ":in"} &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(client->OutConnections(), std::vector<std::string>{name + ":in"}) << cli.Err();
    cli.Signal(SIGTERM);
    EXPECT_EQ(cli.Wait(kJackWait), 0) << cli.Err();
}

TEST_F(CliOverJack, RunExplainEndsMonitorLinesWithTheDecidingEntry) {
    dir.Write(dir.file("knob.cfg"), "[KNOB01]\nDATA=007\n");
    auto cli = Start({"run", "--config", dir.file("knob.cfg"), "--monitor", "--explain"}, true);
    ASSERT_TRUE(cli);
    const size_t probes = WaitUntilLive(*cli, true);
    const size_t probeLines = std::count(cli->Out().begin(), cli->Out().end(), '\n');
    ASSERT_TRUE(client->Send({0xB0, 0x4A, 0x40}));
    ASSERT_TRUE(cli->WaitForOutLines(probeLines + 1, kJackWait)) << cli->Err();
    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    EXPECT_EQ(cli->Out().substr(probes + 17), "    B0 4A 40       =>   B0 07 40 [KNOB01 007]\n");
}

TEST_F(CliOverJack, RunGoesOnWhenTheOutputIsNotThereYet) {
    auto cli = Start({"run", "--monitor", "--out", "nobody:in"}, false);
    ASSERT_TRUE(cli);
    EXPECT_NE(cli->Err().find("ostrel-cli: MIDI output nobody:in is not there yet"),
              std::string::npos)
        << cli->Err();
    WaitUntilLive(*cli, false);
    ASSERT_TRUE(client->Send({0x90, 0x3C, 0x64}));
    EXPECT_TRUE(cli->WaitForOut("    90 3C 64       =>   90 3C 64       \n", kJackWait));
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(kJackWait), 0);
}

TEST_F(CliOverJack, ReceiveSyxStoresTheFirstDumpAndPrintsItsFields) {
    const std::string path = dir.file("got.syx");
    auto cli = Start({"receive-syx", path, "--timeout", "120"}, false);
    ASSERT_TRUE(cli);
    ASSERT_TRUE(client->Send({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));  // not a dump: ignored
    // A short dump: the fader fields lie past its end.
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0x02, 0x90, 0x02, 0x00,
                        0x20, 0x0B, 0x0B, 0x0B, 0x0B, 0x01, 0x02, 0x03, 0x04, 0xF7};
    // Sent until ostrel-cli has one: a client that has just joined the graph may
    // miss its first cycles on a loaded machine.
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    do {
        ASSERT_TRUE(client->Send(dump));
    } while (!cli->WaitExit(std::chrono::milliseconds(200)) &&
             std::chrono::steady_clock::now() < deadline);
    ASSERT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    EXPECT_EQ(test::TempDir::Read(path), std::string(dump.begin(), dump.end()));
    const std::string& out = cli->Out();
    EXPECT_EQ(out.substr(0, out.find("Knob2")), "Sustain: 011\nB.C.: 002\nKnob1: 144\n");
    EXPECT_NE(out.find("Fader.M: 000\nFader1: 000\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Fader8: 000\n"), std::string::npos);
}

TEST_F(CliOverJack, ReceiveSyxGivesUpAfterItsTimeout) {
    const std::string path = dir.file("none.syx");
    auto cli = Start({"receive-syx", path, "--timeout", "0.5"}, false);
    ASSERT_TRUE(cli);
    EXPECT_EQ(cli->Wait(kJackWait), 1);
    // The time as it was given, not as a floating-point number prints.
    EXPECT_NE(cli->Err().find("ostrel-cli: no dump received within 0.5 seconds\n"),
              std::string::npos)
        << cli->Err();
    EXPECT_FALSE(std::ifstream(path).good());
}

TEST_F(CliOverJack, ReceiveSyxPrintsADumpItCouldNotWriteAsHex) {
    const std::string folder = dir.file("gone"), path = folder + "/got.syx";
    std::filesystem::create_directory(folder);
    auto cli = Start({"receive-syx", path, "--timeout", "120"}, false);
    ASSERT_TRUE(cli);
    std::filesystem::remove(folder);  // after the check before the wait
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0x02, 0xF7};
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    do {
        ASSERT_TRUE(client->Send(dump));
    } while (!cli->WaitExit(std::chrono::milliseconds(200)) &&
             std::chrono::steady_clock::now() < deadline);
    EXPECT_EQ(cli->Wait(kJackWait), 1);
    EXPECT_EQ(cli->Out(), "F0 00 5A 52 4B 0B 02 F7 \n");
    // The reason is said with the file.
    EXPECT_NE(cli->Err().find("ostrel-cli: cannot write " + path +
                              ": No such file or directory; the received dump is printed on the "
                              "standard output as hex"),
              std::string::npos)
        << cli->Err();
}

TEST_F(CliOverJack, SendHexAndSendSyxReachTheOutput) {
    if (test::kSlowedBySanitizer)
        GTEST_SKIP() << "ThreadSanitizer makes a just-started JACK client miss its cycles";
    ChildProcess hex(
        {OSTREL_CLI_PATH, "send-hex", "F0 7E 7F 09 01 F7 00", "--out", client->InPort()});
    EXPECT_EQ(hex.Wait(kJackWait), 0) << hex.Err();
    EXPECT_EQ(hex.Out(), "sent 6 bytes\n");

    const std::string path = dir.file("dump.syx");
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0x02, 0xF7};
    test::TempDir::Write(path, std::string(dump.begin(), dump.end()));
    ChildProcess syx({OSTREL_CLI_PATH, "send-syx", path, "--out", client->InPort()});
    EXPECT_EQ(syx.Wait(kJackWait), 0) << syx.Err();

    ASSERT_TRUE(client->WaitForCount(2, kJackWait)) << client->Received().size();
    EXPECT_EQ(client->Received(), (std::vector<Bytes>{{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, dump}));
}

// run --remembered wires what Ostrel.ini remembers and leaves a direction with
// nothing remembered for a patchbay, even with a port listed first ("aaa").
TEST_F(CliOverJack, RunRememberedLeavesADirectionWithNothingRememberedUnconnected) {
    test::JackTestClient first(test::UniqueName("aaa"));
    ASSERT_TRUE(first.ok());
    dir.Write(dir.file("Ostrel.ini"), "[DEVNAME]\nMIDIINNAME=" + client->OutPort() + "\n");
    test::ScopedCwd cwd(dir.path());
    ChildProcess cli({OSTREL_CLI_PATH, "run", "--remembered"});
    ASSERT_TRUE(cli.WaitForErr("ready", kJackWait)) << cli.Err();
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    while (!test::ConnectedOnlyTo(client->OutConnections(), "Ostrel", ":in") &&
           std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_TRUE(test::ConnectedOnlyTo(client->OutConnections(), "Ostrel", ":in"));
    EXPECT_TRUE(first.InConnections().empty());
    EXPECT_TRUE(client->InConnections().empty());
    EXPECT_NE(cli.Err().find("ostrel-cli: no MIDI output port remembered in Ostrel.ini"),
              std::string::npos)
        << cli.Err();
    cli.Signal(SIGTERM);
    EXPECT_EQ(cli.Wait(kJackWait), 0) << cli.Err();
}

// Sends probe until what arrives at the test client ends with expected, then
// lets every probe still under way arrive and forgets them all.
bool SendUntil(test::JackTestClient& client, const Bytes& probe, const Bytes& expected) {
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    while (std::chrono::steady_clock::now() < deadline) {
        client.Send(probe);
        if (client.WaitForCount(1, std::chrono::milliseconds(50)) &&
            client.Received().back() == expected) {
            client.WaitUntilPlayed(kJackWait);
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            client.ClearReceived();
            return true;
        }
    }
    return false;
}

// A key held while the table changes under it (SIGHUP) ends where it began;
// keys and the pedal still held when the program ends are released first.
TEST_F(CliOverJack, NoNoteIsLeftSoundingAcrossAReloadOrAtTheEnd) {
    const std::string cfg = dir.file("live.cfg");
    AssignmentTable table;
    ASSERT_EQ(WriteConfig(cfg.c_str(), table), StoreResult::Ok);
    auto cli = Start({"run", "--config", cfg}, true);
    ASSERT_TRUE(cli);
    ASSERT_TRUE(SendUntil(*client, {0xF6}, {0xF6}));
    // A message lost to a cycle that a busy machine missed (an xrun) cannot be
    // sent again here without changing what is held: the run is then skipped.
    const uint64_t xruns = client->Xruns();
#define OSTREL_ARRIVED(count)                                                      \
    if (!client->WaitForCount(count, kJackWait)) {                                 \
        if (client->Xruns() != xruns) GTEST_SKIP() << "the server reported xruns"; \
        FAIL() << client->Received().size() << " arrived";                         \
    }
    ASSERT_TRUE(SendUntil(*client, {0x90, 0x3C, 0x64}, {0x90, 0x3C, 0x64}));

    table.Set(Entry::CHANEL, "005");
    table.SetNote(0x3C, "###");
    table.Set(Entry::KNOB01, "007");
    ASSERT_EQ(WriteConfig(cfg.c_str(), table), StoreResult::Ok);
    cli->Signal(SIGHUP);
    ASSERT_TRUE(SendUntil(*client, {0xB0, 0x4A, 0x01}, {0xB4, 0x07, 0x01})) << "not reloaded";
    ASSERT_TRUE(client->Send({0x80, 0x3C, 0x40}));  // released where it went: channel 1
    OSTREL_ARRIVED(1);
    EXPECT_EQ(client->Received(), (std::vector<Bytes>{{0x80, 0x3C, 0x40}}));

    client->ClearReceived();
    ASSERT_TRUE(client->SendAll({{0x90, 0x40, 0x64}, {0x90, 0x43, 0x64}, {0xB0, 0x40, 0x7F}}));
    OSTREL_ARRIVED(3);
    client->ClearReceived();
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    OSTREL_ARRIVED(3);
#undef OSTREL_ARRIVED
    EXPECT_EQ(client->Received(),
              (std::vector<Bytes>{{0x84, 0x40, 0x40}, {0x84, 0x43, 0x40}, {0xB4, 0x40, 0x00}}));
}

// A reload that finds no configuration keeps the table and says why; one that
// is still under way never holds up the end.
TEST_F(CliOverJack, AReloadThatCannotReadItsFileKeepsTheTableAndSaysWhy) {
    const std::string cfg = dir.file("live.cfg");
    test::TempDir::Write(cfg, "[KNOB01]\nDATA=007\n");
    auto cli = Start({"run", "--config", cfg}, true);
    ASSERT_TRUE(cli);
    const std::pair<std::function<void()>, std::string> cases[] = {
        {[&] { std::remove(cfg.c_str()); }, "No such file or directory"},
        {[&] { test::TempDir::Write(cfg, std::string(4096, '\x9C')); },
         "not an Ostrel configuration file"},
        {[&] { std::remove(cfg.c_str()), mkfifo(cfg.c_str(), 0600); }, "not a regular file"},
    };
    for (const auto& [make, reason] : cases) {
        make();
        cli->Signal(SIGHUP);
        const std::string line = "ostrel-cli: cannot read configuration file " + cfg + ": " +
                                 reason + "; the table stays as it was\n";
        EXPECT_TRUE(cli->WaitForErr(line, kJackWait)) << cli->Err();
        EXPECT_TRUE(SendUntil(*client, {0xB0, 0x4A, 0x02}, {0xB0, 0x07, 0x02}));
    }
    cli->Signal(SIGHUP);
    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(kJackWait), 0);
}

// Monitor lines for a standard output that nobody reads pile up in the pipe;
// SIGINT still ends the run.
TEST_F(CliOverJack, SignalsEndTheRunWhenNobodyReadsTheMonitor) {
    auto cli = Start({"run", "--monitor"}, false);
    ASSERT_TRUE(cli);
    std::vector<Bytes> many(4000, Bytes{0xF0, 0x7D, 0x01, 0x02, 0x03, 0x04, 0x05, 0xF7});
    ASSERT_TRUE(client->SendAll(many));  // far more lines than a pipe holds
    ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
    cli->Signal(SIGINT);
    EXPECT_TRUE(cli->WaitExitUnread(kJackWait)) << "SIGINT waited for the reader";
}

// Panic (SIGQUIT) with a chord and the pedal held on channel 2: the releases
// where each went, then the three controllers on all 16 channels, shown as one
// line; the ledger is empty after, so the key's own note-off still arrives.
TEST_F(CliOverJack, PanicReleasesWhatIsHeldThenSilencesEveryChannel) {
    dir.Write(dir.file("two.cfg"), "[CHANEL]\nDATA=002\n");
    auto cli = Start({"run", "--config", dir.file("two.cfg"), "--monitor"}, true);
    ASSERT_TRUE(cli);
    WaitUntilLive(*cli, true);
    ASSERT_TRUE(client->SendAll({{0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}, {0xB0, 0x40, 0x7F}}));
    ASSERT_TRUE(client->WaitForCount(3, kJackWait));
    client->ClearReceived();
    cli->Signal(SIGQUIT);
    std::vector<Bytes> expected = {{0x81, 0x3C, 0x40}, {0x81, 0x40, 0x40}, {0xB1, 0x40, 0x00}};
    for (uint8_t channel = 0; channel < 16; ++channel)
        for (uint8_t controller : {120, 121, 123})
            expected.push_back({static_cast<uint8_t>(0xB0 | channel), controller, 0x00});
    ASSERT_TRUE(client->WaitForCount(expected.size(), kJackWait)) << cli->Err();
    EXPECT_EQ(client->Received(), expected);
    client->ClearReceived();
    ASSERT_TRUE(client->Send({0x80, 0x3C, 0x40}));
    ASSERT_TRUE(client->WaitForCount(1, kJackWait));
    EXPECT_EQ(client->Received(), (std::vector<Bytes>{{0x81, 0x3C, 0x40}}));
    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    EXPECT_NE(cli->Out().find("    panic: 3 held notes and pedals released; all sound off, reset "
                              "all controllers and all notes off on channels 1-16\n"),
              std::string::npos)
        << cli->Out();
}

// The server of the restart test, which the test stops and starts again: jackd
// under a name of the test servers' set, or on PipeWire a pipewire daemon in a
// runtime folder of its own (XDG_RUNTIME_DIR tells PipeWire's libjack which
// daemon to join), whose configuration comes from the system only.
class OwnServer {
  public:
    OwnServer() {
        if (test::OnPipeWire())
            std::filesystem::create_directory(folder_.file("config"));
        else
            name_ = std::make_unique<test::ServerName>(kJackWait);
    }
    // Empty when the server can run.
    std::string Unusable() const {
        return name_ && name_->name().empty() ? "every test server name is taken by another run"
                                              : "";
    }
    void Start() {
        const std::string log = folder_.file("server-" + std::to_string(++starts_) + ".log");
        if (name_) {
            server_ = std::make_unique<test::ServerProcess>(
                std::vector<std::string>{"/usr/bin/jackd", "--no-realtime", "-n", name_->name(),
                                         "-d", "dummy", "-r", "48000", "-p", "128"},
                log);
        } else {
            server_ = std::make_unique<test::ServerProcess>(
                std::vector<std::string>{"/usr/bin/env", "-u", "DBUS_SESSION_BUS_ADDRESS",
                                         "XDG_RUNTIME_DIR=" + folder_.path(),
                                         "XDG_CONFIG_HOME=" + folder_.file("config"), "pipewire"},
                log);
        }
    }
    // SIGTERM, waited for: false when the server had to be killed.
    bool Stop() { return server_->Stop(); }
    std::string Log() const { return name_ ? test::ExplainJackd(server_->Log()) : server_->Log(); }
    // What a child process's environment needs to join this server.
    std::string ChildEnv() const {
        return name_ ? "JACK_DEFAULT_SERVER=" + name_->name() : "XDG_RUNTIME_DIR=" + folder_.path();
    }
    // An in-process client of this server, waiting while the server starts;
    // nullptr when it ended or did not answer in time.
    std::unique_ptr<test::JackTestClient> Join(const std::string& client) {
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        while (server_->Running() && std::chrono::steady_clock::now() < deadline) {
            auto joined = name_ ? std::make_unique<test::JackTestClient>(client, name_->name())
                                : JoinPipeWire(client);
            if (joined->ok()) return joined;
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
        }
        return nullptr;
    }

  private:
    std::unique_ptr<test::JackTestClient> JoinPipeWire(const std::string& client) const {
        const char* old = std::getenv("XDG_RUNTIME_DIR");
        const std::string saved = old ? old : "";
        setenv("XDG_RUNTIME_DIR", folder_.path().c_str(), 1);
        auto joined = std::make_unique<test::JackTestClient>(client);
        if (old)
            setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
        else
            unsetenv("XDG_RUNTIME_DIR");
        return joined;
    }

    // Destroyed in reverse: the server stops before its name and its folder go.
    test::TempDir folder_;
    std::unique_ptr<test::ServerName> name_;
    std::unique_ptr<test::ServerProcess> server_;
    int starts_ = 0;
};

// The server stops under a running ostrel-cli and starts again: it says so, and
// comes back with its ports and its connections. On PipeWire the pipewire
// process stops and starts again in the same runtime folder.
TEST(CliServerRestart, PortsAndConnectionsComeBackWithTheServer) {
    if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer makes clients miss cycles";
    OwnServer server;
    ASSERT_EQ(server.Unusable(), "");
    const std::string keysName = test::UniqueName("keys");
    server.Start();
    auto keys = server.Join(keysName);
    ASSERT_TRUE(keys) << "the server did not answer: " << server.Log();
    ChildProcess cli({"/usr/bin/env", server.ChildEnv(), OSTREL_CLI_PATH, "run", "--in",
                      keys->OutPort(), "--out", keys->InPort()});
    ASSERT_TRUE(cli.WaitForErr("ready", kJackWait)) << cli.Err();
    ASSERT_TRUE(SendUntil(*keys, {0xF6}, {0xF6}));

    keys.reset();
    EXPECT_TRUE(server.Stop()) << server.Log();
    EXPECT_TRUE(cli.WaitForErr("server has stopped", kJackWait)) << cli.Err();
    server.Start();
    keys = server.Join(keysName);
    ASSERT_TRUE(keys) << "the server did not answer again: " << server.Log();
    EXPECT_TRUE(cli.WaitForErr("server is back", kJackWait)) << cli.Err();
    EXPECT_TRUE(SendUntil(*keys, {0xF6}, {0xF6})) << "the connections did not come back";
    cli.Signal(SIGTERM);
    EXPECT_EQ(cli.Wait(kJackWait), 0) << cli.Err();
    keys.reset();
    EXPECT_TRUE(server.Stop()) << server.Log();
}

// PipeWire started after ostrel-cli, as at a login where Ostrel's service
// starts first: found while the run looks for a server, and joined within
// seconds. The run leaves pw-jack's libjack and jackd's server out of it.
TEST(CliServerRestart, PipeWireStartedLaterIsJoined) {
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer slows the start too much";
    test::TempDir folder;
    std::filesystem::create_directory(folder.file("config"));
    const std::string runtime = "XDG_RUNTIME_DIR=" + folder.path();
    ChildProcess cli({"/usr/bin/env", "-u", "OSTREL_MIDI_API", "-u", "LD_LIBRARY_PATH",
                      "JACK_DEFAULT_SERVER=ostrel-nobody", runtime, OSTREL_CLI_PATH, "run"});
    ASSERT_TRUE(cli.WaitForErr("no JACK or PipeWire server is running", kJackWait)) << cli.Err();
    test::ServerProcess pipewire({"/usr/bin/env", "-u", "DBUS_SESSION_BUS_ADDRESS", runtime,
                                  "XDG_CONFIG_HOME=" + folder.file("config"), "pipewire"},
                                 folder.file("pipewire.log"));
    EXPECT_TRUE(cli.WaitForErr("ready", std::chrono::seconds(5))) << cli.Err() << "\n"
                                                                  << pipewire.Log();
    cli.Signal(SIGTERM);
    EXPECT_EQ(cli.Wait(kJackWait), 0) << cli.Err();
}

namespace scenes {

size_t Occurrences(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}

// Waits until stderr holds what at least count times.
bool WaitForErrCount(ChildProcess& cli, const std::string& what, size_t count) {
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
    while (Occurrences(cli.Err(), what) < count) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        cli.WaitForErr("\n\n\n", std::chrono::milliseconds(20));  // reads what came
    }
    return true;
}

}  // namespace scenes

// A setlist of three scenes: channel 2, channel 5, knob 1 to controller 7.
TEST_F(CliOverJack, RunSetlistSwitchesScenesOnProgramChangesAndSignals) {
    dir.Write(dir.file("two.cfg"), "[CHANEL]\nDATA=002\n");
    dir.Write(dir.file("five.cfg"), "[CHANEL]\nDATA=005\n");
    dir.Write(dir.file("knob.cfg"), "[KNOB01]\nDATA=007\n");
    dir.Write(dir.file("set.setlist"),
              "[SETLIST]\nFILE1=two.cfg\nFILE2=five.cfg\nFILE3=knob.cfg\n[TRIGGER]\nPROGRAM=***\n");
    auto cli = Start({"run", "--setlist", dir.file("set.setlist"), "--monitor"}, true);
    ASSERT_TRUE(cli);
    WaitUntilLive(*cli, true);

    // A chord held across the switch ends on channel 2; the program change stays here.
    ASSERT_TRUE(client->SendAll({{0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}, {0xC0, 0x01}}));
    ASSERT_TRUE(scenes::WaitForErrCount(*cli, "scene 2/3: five.cfg\n", 1)) << cli->Err();
    ASSERT_TRUE(client->SendAll({{0x80, 0x3C, 0x40}, {0x90, 0x43, 0x64}, {0x80, 0x40, 0x40}}));
    ASSERT_TRUE(client->WaitForCount(5, kJackWait)) << cli->Err();
    EXPECT_EQ(client->Received(), (std::vector<Bytes>{{0x91, 0x3C, 0x64},
                                                      {0x91, 0x40, 0x64},
                                                      {0x81, 0x3C, 0x40},
                                                      {0x94, 0x43, 0x64},
                                                      {0x81, 0x40, 0x40}}));
    client->ClearReceived();

    // SIGUSR1 and SIGUSR2 step one scene and stop at either end, saying so.
    const struct {
        int signal;
        const char* says;
        size_t times;
    } steps[] = {
        {SIGUSR1, "scene 3/3: knob.cfg\n", 1},
        {SIGUSR1, "scene 3/3: knob.cfg is the last scene; it stays in force\n", 1},
        {SIGUSR2, "scene 2/3: five.cfg\n", 2},
        {SIGUSR2, "scene 1/3: two.cfg\n", 2},
        {SIGUSR2, "scene 1/3: two.cfg is the first scene; it stays in force\n", 1},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.says);
        cli->Signal(step.signal);
        ASSERT_TRUE(scenes::WaitForErrCount(*cli, step.says, step.times)) << cli->Err();
        if (step.signal == SIGUSR1 && step.times == 1 && client->Received().empty()) {
            ASSERT_TRUE(client->Send({0xB0, 0x4A, 0x40}));
            ASSERT_TRUE(client->WaitForCount(1, kJackWait));
            EXPECT_EQ(client->Received(), (std::vector<Bytes>{{0xB0, 0x07, 0x40}}));
        }
    }
    cli->Signal(SIGTERM);
    EXPECT_EQ(cli->Wait(kJackWait), 0) << cli->Err();
    // The monitor shows the trigger as received and not sent, then the switch.
    EXPECT_NE(cli->Out().find("    C0 01 00       =>   00 00 00       \n"), std::string::npos);
    EXPECT_EQ(scenes::Occurrences(cli->Out(), "    scene 2/3: five.cfg\n"), 2u) << cli->Out();
}

}  // namespace
}  // namespace ostrel
