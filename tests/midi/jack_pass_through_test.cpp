// The pass-through over the real MIDI system: a private JACK server, RtMidi's
// JACK backend, and a test client of our own on each side (jack_test_client.h).
#include <gtest/gtest.h>

#include "midi/monitor_line.h"
#include "midi/paced_jack_client.h"
#include "midi/pass_through.h"
#include "midi/rtmidi_services.h"

namespace ostrel {
namespace {

using miditest::Bytes;
using Messages = std::vector<Bytes>;

// Generous: two cores shared with other test processes.
constexpr std::chrono::milliseconds kWait{60000};

class JackPassThrough : public ::testing::Test {
  protected:
    void SetUp() override {
        if (!miditest::JackServerGiven())
            GTEST_SKIP() << "JACK_DEFAULT_SERVER is not set: run under scripts/with-jack.sh";
        client = std::make_unique<miditest::PacedJackClient>(miditest::UniqueName("otest"));
        ASSERT_TRUE(client->Ok()) << "cannot join the JACK server";
        prefix = miditest::UniqueName("Ostrel");
        services = std::make_unique<RtMidiServices>(MidiApi::Jack, prefix);
        passThrough = std::make_unique<PassThrough>(table, curves, *services);
    }
    void TearDown() override {
        passThrough.reset();
        client.reset();
    }

    // Opens the input on our source and (optionally) the output on our sink.
    // Other test processes add and remove ports at the same time, which can
    // move a device index between listing and opening: then try again.
    void Connect(bool withOutput = true) {
        for (int attempt = 0; attempt < 20; ++attempt) {
            const int in = miditest::IndexOf(services->InputDeviceNames(), client->SourceName());
            const int out = miditest::IndexOf(services->OutputDeviceNames(), client->SinkName());
            ASSERT_GE(in, 0);
            ASSERT_GE(out, 0);
            passThrough->OpenInput(in);
            if (withOutput) passThrough->OpenOutput(out);
            if (miditest::ConnectedOnlyTo(*client, client->Source(), prefix + " in:", ":in") &&
                (!withOutput ||
                 miditest::ConnectedOnlyTo(*client, client->Sink(), prefix + " out:", ":out"))) {
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
    // comes through, then forget the probes.
    void WaitUntilLive(bool withOutput) {
        const PassThroughState state = passThrough->State();
        const bool logging = passThrough->MonitorLogging();
        passThrough->Start();
        passThrough->SetMonitorLogging(true);
        const auto deadline = std::chrono::steady_clock::now() + kWait;
        MonitorEvent event;
        bool live = false;
        while (!live && std::chrono::steady_clock::now() < deadline) {
            client->Send({0xF6});
            live = withOutput ? client->WaitForReceived(1, std::chrono::milliseconds(100))
                              : (std::this_thread::sleep_for(std::chrono::milliseconds(100)),
                                 passThrough->PopEvent(event));
        }
        ASSERT_TRUE(live) << "no message came through the pass-through";
        ASSERT_TRUE(client->WaitUntilPlayed(kWait));
        passThrough->SetState(state);
        passThrough->SetMonitorLogging(logging);
        client->ClearReceived();
        while (passThrough->PopEvent(event)) {
        }
    }

    // Plays the messages, then one marker that passes unchanged; waits for the
    // marker and returns what arrived before it. Everything travels in order,
    // so whatever was not forwarded before the marker was not forwarded at all.
    Messages PlayAndCollect(const Messages& messages) {
        const Bytes marker = {0xF3, 0x7F};  // song select: no table entry concerns it
        for (const Bytes& m : messages) client->Send(m);
        client->Send(marker);
        for (;;) {
            const size_t before = client->Received().size();
            if (!client->WaitForReceived(before + 1, kWait)) {
                ADD_FAILURE() << "the marker did not arrive";
                return client->Received();
            }
            if (client->Received().back() == marker) break;
        }
        Messages got = client->Received();
        got.pop_back();
        client->ClearReceived();
        return got;
    }

    AssignmentTable table;
    CurrentCurves curves;
    std::unique_ptr<miditest::PacedJackClient> client;
    std::string prefix;
    std::unique_ptr<RtMidiServices> services;
    std::unique_ptr<PassThrough> passThrough;
};

TEST_F(JackPassThrough, DeviceListsShowTheOtherClientsPorts) {
    EXPECT_GE(miditest::IndexOf(services->InputDeviceNames(), client->SourceName()), 0);
    EXPECT_GE(miditest::IndexOf(services->OutputDeviceNames(), client->SinkName()), 0);
    std::string why;
    EXPECT_FALSE(passThrough->OpenInput(100000, &why));
    EXPECT_NE(why.find("no MIDI input device"), std::string::npos) << why;
}

TEST_F(JackPassThrough, KnobsFadersNotesAndChannelAreTranslated) {
    table.Set(Entry::KNOB01, "007");
    table.Set(Entry::VOL01, "011");
    table.Set(Entry::KNOB02, "###");
    table.SetNote(60, "064");
    Connect();
    passThrough->Start();
    EXPECT_EQ(
        PlayAndCollect({{0xB2, 0x4A, 0x40},    // knob 1 → CC 7
                        {0xB0, 0x07, 0x64},    // fader 1 → CC 11
                        {0xB0, 0x47, 0x10},    // knob 2 suppressed
                        {0x90, 0x3C, 0x64},    // note 60 → CC 64, 127
                        {0x80, 0x3C, 0x40},    // its note off suppressed
                        {0x90, 0x3D, 0x50}}),  // other notes pass
        (Messages{{0xB2, 0x07, 0x40}, {0xB0, 0x0B, 0x64}, {0xB0, 0x40, 0x7F}, {0x90, 0x3D, 0x50}}));

    table.Set(Entry::CHANEL, "010");
    EXPECT_EQ(PlayAndCollect({{0xB2, 0x4A, 0x40}, {0xC0, 0x05}}),
              (Messages{{0xB9, 0x07, 0x40}, {0xC9, 0x05}}));
}

TEST_F(JackPassThrough, ClockSensingAndSystemExclusive) {
    table.Set(Entry::VOLM, "007");
    Connect();
    passThrough->Start();
    const Bytes gm = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const Bytes xg = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    const Bytes gs = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    Bytes big(1000, 0x11);
    big.front() = 0xF0;
    big.back() = 0xF7;
    EXPECT_EQ(PlayAndCollect({{0xF8},
                              {0xFE},
                              {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7},  // master volume
                              gm,
                              xg,
                              gs,
                              big}),
              (Messages{{0xF8}, {0xFE}, {0xB0, 0x07, 0x64}, gm, xg, gs, big}));

    table.Set(Entry::KNOB08, "###");
    table.Set(Entry::ACTIVE, "###");
    table.Set(Entry::GMON, "###");
    table.Set(Entry::XGON, "###");
    table.Set(Entry::GSON, "###");
    EXPECT_EQ(PlayAndCollect({{0xF8}, {0xFE}, gm, xg, gs}), Messages{});
}

TEST_F(JackPassThrough, StoppedForwardsNothingAndShowsNothing) {
    Connect();
    passThrough->SetMonitorLogging(true);
    client->Send({0x90, 0x3C, 0x64});
    client->Send({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7});
    ASSERT_TRUE(client->WaitUntilPlayed(kWait));
    passThrough->Start();
    EXPECT_EQ(PlayAndCollect({}), Messages{});
    MonitorEvent event;
    ASSERT_TRUE(passThrough->PopEvent(event));  // the marker's entry only
    EXPECT_EQ(event.packedIn, 0x7FF3u);
    EXPECT_FALSE(passThrough->PopEvent(event));
}

TEST_F(JackPassThrough, ClosedOutputStillProducesMonitorLines) {
    table.Set(Entry::KNOB01, "007");
    Connect(/*withOutput=*/false);
    EXPECT_FALSE(passThrough->IsOutputOpen());
    passThrough->SetMonitorLogging(true);
    passThrough->Start();
    client->Send({0xB0, 0x4A, 0x40});
    client->Send({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7});
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + kWait;
    MonitorEvent event;
    while (lines.size() < 2 && std::chrono::steady_clock::now() < deadline) {
        if (passThrough->PopEvent(event))
            lines.push_back(FormatMonitorLine(event).substr(17));
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    EXPECT_EQ(lines, (std::vector<std::string>{"    B0 4A 40       =>   B0 07 40       \n",
                                               "   f0 7e 7f 09 01 f7 => :f0 7e 7f 09 01 f7 \n"}));
    EXPECT_TRUE(client->Received().empty());
}

// 20,000 mixed messages, all forwarded, in order, none lost. The test client
// plays 64 messages per JACK cycle (128 frames at 48 kHz: about 24,000 messages
// a second, some 24 times what a MIDI cable carries). RtMidi's JACK output keeps
// them in a 16 KB ring until its next cycle; 64 a cycle stays far below that.
TEST_F(JackPassThrough, BurstOfTwentyThousandMixedMessagesArrivesWholeAndInOrder) {
    if (miditest::kSlowedBySanitizer)
        GTEST_SKIP() << "ThreadSanitizer makes the JACK clients miss their cycles";
    Connect();
    passThrough->SetMonitorLogging(true);
    passThrough->Start();
    client->SetMessagesPerCycle(64);
    Messages burst;
    for (int i = 0; i < 20000; ++i) {
        const uint8_t a = static_cast<uint8_t>(i & 0x7F), b = static_cast<uint8_t>((i >> 7) & 0x7F);
        switch (i % 8) {
            case 0:
                burst.push_back({0x90, a, b});
                break;
            case 1:
                burst.push_back({0x80, a, b});
                break;
            case 2:
                burst.push_back({0xB3, 0x15, a});
                break;  // no control of the keyboard
            case 3:
                burst.push_back({0xC4, a});
                break;
            case 4:
                burst.push_back({0xE5, a, b});
                break;
            case 5:
                burst.push_back({0xF8});
                break;
            case 6:
                burst.push_back({0xD6, a});
                break;
            default:
                burst.push_back({0xF0, 0x7D, a, b, 0x01, 0x02, 0xF7});
                break;
        }
    }
    for (const Bytes& m : burst) client->Send(m);
    ASSERT_TRUE(client->WaitForReceived(burst.size(), std::chrono::milliseconds(180000)))
        << "arrived: " << client->Received().size();
    EXPECT_EQ(client->Received().size(), burst.size());
    EXPECT_TRUE(client->Received() == burst) << "messages changed or out of order";
    EXPECT_EQ(client->Lost(), 0u);
    EXPECT_EQ(passThrough->DroppedSends(), 0u);
}

}  // namespace
}  // namespace ostrel
