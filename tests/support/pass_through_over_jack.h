#pragma once
// The live pass-through over the real MIDI system, mixed into a test fixture: a
// JackTestClient plays the keyboard on its "out" and the synth on its "in",
// RtMidi's JACK backend carries both directions and the pass-through sits between
// them. For test programs that link the model.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/pass_through.h"
#include "midi/rtmidi_services.h"
#include "support/jack_test_client.h"

namespace ostrel::test {

class PassThroughOverJack {
  protected:
    PassThroughOverJack() = default;
    ~PassThroughOverJack() { LeaveJack(); }

    // Joins the JACK server with a test client and a pass-through that reads table
    // and curves; both must stay until LeaveJack(). Call it after checking
    // JackServerGiven(), within ASSERT_NO_FATAL_FAILURE.
    void JoinJack(const AssignmentTable& table, const CurrentCurves& curves,
                  const std::string& clientStem = "otest") {
        client = std::make_unique<JackTestClient>(UniqueName(clientStem));
        ASSERT_TRUE(client->ok()) << "cannot join the JACK server";
        prefix = UniqueName("Ostrel");
        services = std::make_unique<RtMidiServices>(MidiApi::Jack, prefix);
        passThrough = std::make_unique<PassThrough>(table, curves, *services);
    }

    // Closes the pass-through first: its input callback reads the fixture's
    // table and curves. Call it from TearDown.
    void LeaveJack() {
        passThrough.reset();
        services.reset();
        client.reset();
    }

    // Opens the input on the client's "out" and (optionally) the output on its
    // "in", then waits until messages come through. Other test processes add and
    // remove ports at the same time, which can move a device index between
    // listing and opening: then try again.
    void Connect(bool withOutput = true) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            const int in = IndexOf(services->InputDeviceNames(), client->OutPort());
            const int out = IndexOf(services->OutputDeviceNames(), client->InPort());
            ASSERT_GE(in, 0);
            ASSERT_GE(out, 0);
            passThrough->OpenInput(in);
            if (withOutput) passThrough->OpenOutput(out);
            if (ConnectedOnlyTo(client->OutConnections(), prefix + " in:", ":in") &&
                (!withOutput ||
                 ConnectedOnlyTo(client->InConnections(), prefix + " out:", ":out"))) {
                WaitUntilLive(withOutput);
                return;
            }
            passThrough->CloseInput();
            passThrough->CloseOutput();
        }
        FAIL() << "the pass-through could not be connected to the test client";
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
    std::string prefix;  // of the pass-through's JACK clients
    std::unique_ptr<RtMidiServices> services;
    std::unique_ptr<PassThrough> passThrough;
};

}  // namespace ostrel::test
