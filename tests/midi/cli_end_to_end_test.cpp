// ostrel-cli run and receive-syx as a user runs them: the real binary beside a
// private JACK server, fed and read by a test client of our own.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <thread>

#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"

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
    const size_t probes = WaitUntilLive(*cli, false);
    ASSERT_TRUE(client->Send({0x90, 0x3C, 0x64}));
    EXPECT_TRUE(cli->WaitForOutLines(std::count(cli->Out().begin(), cli->Out().end(), '\n') + 1,
                                     kJackWait));
    cli->Signal(SIGINT);
    EXPECT_EQ(cli->Wait(kJackWait), 0);
    EXPECT_NE(cli->Out().find("    90 3C 64       =>   90 3C 64       \n", probes),
              std::string::npos);
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
    EXPECT_NE(cli->Err().find("ostrel-cli: no dump received within"), std::string::npos);
    EXPECT_FALSE(std::ifstream(path).good());
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

}  // namespace
}  // namespace ostrel
