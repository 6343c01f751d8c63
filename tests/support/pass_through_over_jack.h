#pragma once
// The live pass-through over the real MIDI system, mixed into a test fixture: a
// JackTestClient plays the keyboard on its "out" and the synth on its "in",
// Ostrel's own JACK client (the link's system, pass-through and keeper) sits
// between them with its ports "in" and "out". For test programs that link the
// model.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/jack_midi_system.h"
#include "midi/midi_link.h"
#include "support/jack_test_client.h"

namespace ostrel::test {

class PassThroughOverJack : protected MidiLink {
  protected:
    PassThroughOverJack() = default;
    ~PassThroughOverJack() { LeaveJack(); }

    // Joins the JACK server with a test client and Ostrel's client, whose
    // pass-through reads table and curves; both must stay until LeaveJack().
    // Call it after checking JackServerGiven(), within ASSERT_NO_FATAL_FAILURE.
    void JoinJack(AssignmentTable& table, CurrentCurves& curves,
                  const std::string& clientStem = "otest") {
        client = std::make_unique<JackTestClient>(UniqueName(clientStem));
        ASSERT_TRUE(client->ok()) << "cannot join the JACK server";
        name = UniqueName("Ostrel");
        Link(std::make_unique<JackMidiSystem>(), table, curves, name);
        std::string why;
        ASSERT_TRUE(Join(&why)) << why;
    }

    // Leaves the graph first: the MIDI thread reads the fixture's table and
    // curves. Call it from TearDown.
    void LeaveJack() {
        Unlink();
        client.reset();
    }

    // Chooses the client's "out" as input device and (optionally) its "in" as
    // output device, then waits until messages come through.
    void Connect(bool withOutput = true) {
        std::string why;
        ASSERT_TRUE(keeper->Choose(PortDirection::Input, client->OutPort(), &why)) << why;
        if (withOutput) {
            ASSERT_TRUE(keeper->Choose(PortDirection::Output, client->InPort(), &why)) << why;
        }
        // The graph shows a new connection from its next cycle on.
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        while (!ConnectedOnlyTo(client->OutConnections(), name + ":", ":in") ||
               (withOutput && !ConnectedOnlyTo(client->InConnections(), name + ":", ":out"))) {
            ASSERT_LT(std::chrono::steady_clock::now(), deadline) << "not connected";
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
        }
        WaitUntilLive(withOutput);
    }

    // A client that joined the graph a moment ago may miss its first cycles on
    // a loaded machine. Probe (tune request, which passes unchanged) until one
    // comes through, then forget the probes; state and logging are as before.
    void WaitUntilLive(bool withOutput) {
        const PassThroughState state = passThrough->State();
        const bool logging = passThrough->MonitorLogging();
        passThrough->Start();
        passThrough->SetMonitorLogging(true);
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        MonitorEvent event;
        bool live = false;
        while (!live && std::chrono::steady_clock::now() < deadline) {
            client->Send({0xF6});
            live = withOutput ? client->WaitForCount(1, std::chrono::milliseconds(100))
                              : (std::this_thread::sleep_for(std::chrono::milliseconds(100)),
                                 passThrough->PopEvent(event));
        }
        ASSERT_TRUE(live) << "no message came through the pass-through";
        ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
        passThrough->SetState(state);
        passThrough->SetMonitorLogging(logging);
        client->ClearReceived();
        while (passThrough->PopEvent(event)) {
        }
    }

    std::unique_ptr<JackTestClient> client;
    std::string name;  // of Ostrel's JACK client
};

// The chain keyboard → Ostrel → synth as a test fixture: a test client plays
// both ends, Ostrel's pass-through reads the fixture's table and curves.
// Skipped when the test does not run beside a JACK server.
class PassThroughChainTest : public ::testing::Test, protected PassThroughOverJack {
  protected:
    void SetUp() override {
        if (!JackServerGiven()) GTEST_SKIP() << kNoJackServer;
        ASSERT_NO_FATAL_FAILURE(JoinJack(table, curves));
    }
    void TearDown() override { LeaveJack(); }

    AssignmentTable table;
    CurrentCurves curves;
};

inline constexpr const char* kXrunsInEveryAttempt =
    "the server reported xruns in every attempt: the machine is too busy";

// A cycle that some client missed (an xrun: the machine was too busy) loses or
// repeats what it carried between clients, whoever sent it. Runs `attempt`
// again until one passes with no xrun reported, five times at most; false when
// none did. Stops at a fatal failure inside `attempt`: check for one after.
// An attempt that returns a bool says with false that the graph disturbed it
// in a way no xrun tells (see PipeWireCarriedLate).
template <typename Attempt>
bool AttemptWithoutXruns(const JackTestClient& client, Attempt attempt) {
    for (int i = 0; i < 5 && !::testing::Test::HasFatalFailure(); ++i) {
        const uint64_t xruns = client.Xruns();
        bool undisturbed = true;
        if constexpr (std::is_same_v<decltype(attempt()), bool>)
            undisturbed = attempt();
        else
            attempt();
        if (undisturbed && client.Xruns() == xruns) return true;
    }
    return false;
}

// Waits until client has received count messages. Called once everything was
// played and three cycles more began, so all that no skipped cycle took is on
// its way: false as soon as none came for 2 s (a slow machine still
// delivers within that; a lost cycle never does).
inline bool WaitWhileArriving(JackTestClient& client, size_t count) {
    size_t seen = client.Received().size();
    while (!client.WaitForCount(count, std::chrono::seconds(2))) {
        const size_t now = client.Received().size();
        if (now == seen) return false;
        seen = now;
    }
    return true;
}

// PipeWire now and then runs a client of a chain before the one that feeds it,
// without any xrun: what that cycle carried arrives one period late, whoever
// forwarded it. jackd never does. On PipeWire an attempt that saw it is
// played again; on jackd the test's own check of the frames fails it. played
// and arrived: the frames of the same messages.
inline bool NotDelayedByPipeWire(const std::vector<uint32_t>& played,
                                 const std::vector<uint32_t>& arrived) {
    return !OnPipeWire() || played == arrived;
}

}  // namespace ostrel::test
