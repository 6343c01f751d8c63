// The live chain keyboard → Ostrel → synth over a private JACK server: Ostrel's
// own JACK client between two test clients of our own. Timing to the frame,
// connections made by a patchbay, ports that come and go, the largest event,
// translation, and whole tables replaced under a stream. All tests of this
// chain stand in this one file, hence its length.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <thread>

#include "midi/monitor_line.h"
#include "support/eventually.h"
#include "support/pass_through_over_jack.h"

namespace ostrel {
namespace {

using test::Bytes;
using test::Eventually;
using test::kJackWait;
using Messages = std::vector<Bytes>;
using Clock = std::chrono::steady_clock;

class KeyboardToSynth : public test::PassThroughChainTest {
  protected:
    // Plays the messages, then one marker that passes unchanged; waits for the
    // marker at the synth (the test client itself unless given) and returns
    // what arrived before it. Everything travels in order, so whatever was not
    // forwarded before the marker was not forwarded at all.
    Messages PlayAndCollect(const Messages& messages, test::JackTestClient* synth = nullptr) {
        test::JackTestClient& at = synth ? *synth : *client;
        const Bytes marker = {0xF3, 0x7F};  // song select: no table entry concerns it
        EXPECT_TRUE(client->SendAll(messages));
        EXPECT_TRUE(client->Send(marker));
        for (;;) {
            const size_t before = at.Received().size();
            if (!at.WaitForCount(before + 1, kJackWait)) {
                ADD_FAILURE() << "the marker did not arrive";
                return at.Received();
            }
            if (at.Received().back() == marker) break;
        }
        Messages got = at.Received();
        got.pop_back();
        at.ClearReceived();
        return got;
    }

    // The keyboard plays into Ostrel and Ostrel into a synth, two clients as on
    // stage: one client on both sides would close a loop in the graph, which
    // JACK breaks with a cycle of delay. Returns once a message came through.
    void ConnectToSynth(test::JackTestClient& synth) {
        ASSERT_TRUE(synth.ok());
        Connect(/*withOutput=*/false);
        ASSERT_TRUE(keeper->Choose(PortDirection::Output, synth.InPort()));
        ASSERT_TRUE(Eventually([&] { return synth.InConnections().size() == 1; }));
        passThrough->Start();
        const auto deadline = Clock::now() + kJackWait;
        while (!synth.WaitForCount(1, std::chrono::milliseconds(50)) && Clock::now() < deadline)
            client->Send({0xF6});
        ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
        synth.ClearReceived();
        client->ClearReceived();
    }
};

TEST_F(KeyboardToSynth, DeviceListsShowTheOtherClientsPortsNeverOstrelsOwn) {
    const std::vector<std::string> inputs = keeper->Devices(PortDirection::Input);
    const std::vector<std::string> outputs = keeper->Devices(PortDirection::Output);
    EXPECT_GE(test::IndexOf(inputs, client->OutPort()), 0);
    EXPECT_GE(test::IndexOf(outputs, client->InPort()), 0);
    EXPECT_TRUE(std::is_sorted(inputs.begin(), inputs.end()));
    for (const auto& list : {inputs, outputs})
        for (const std::string& port : list) EXPECT_NE(port.rfind(name + ":", 0), 0u) << port;
    std::string why;
    EXPECT_FALSE(keeper->Choose(PortDirection::Input, name + ":out", &why));
    EXPECT_NE(why.find("itself"), std::string::npos) << why;
    EXPECT_TRUE(client->OutConnections().empty());
    EXPECT_EQ(system->OwnPort(PortDirection::Input), name + ":in");
}

TEST_F(KeyboardToSynth, KnobsFadersNotesAndChannelAreTranslated) {
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

TEST_F(KeyboardToSynth, ClockSensingAndSystemExclusive) {
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

TEST_F(KeyboardToSynth, StoppedForwardsNothingAndShowsNothing) {
    Connect();
    passThrough->SetMonitorLogging(true);
    ASSERT_TRUE(client->Send({0x90, 0x3C, 0x64}));
    ASSERT_TRUE(client->Send({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}));
    ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
    passThrough->Start();
    EXPECT_EQ(PlayAndCollect({}), Messages{});
    MonitorEvent event;
    ASSERT_TRUE(passThrough->PopEvent(event));  // the marker's entry only
    EXPECT_EQ(event.in, MakeShort(0xF3, 0x7F));
    EXPECT_FALSE(passThrough->PopEvent(event));
}

TEST_F(KeyboardToSynth, AnUnconnectedOutputStillProducesMonitorLines) {
    table.Set(Entry::KNOB01, "007");
    Connect(/*withOutput=*/false);
    passThrough->SetMonitorLogging(true);
    passThrough->Start();
    ASSERT_TRUE(client->Send({0xB0, 0x4A, 0x40}));
    ASSERT_TRUE(client->Send({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    std::vector<std::string> lines;
    const auto deadline = std::chrono::steady_clock::now() + kJackWait;
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

// 50,000 mixed messages at full rate, all forwarded in the same cycles, in order,
// none lost: Ostrel's output buffer is as large as its input buffer. jackd2's
// port buffer holds 4,093 short events a cycle; PipeWire's JACK server carries
// at most 1,364 a port and cycle (a fuller cycle is dropped whole, whoever sent
// it), so the keyboard plays 1,364 a cycle: still some 500,000 a second at
// 128 frames. A note-on here never has velocity 0, which PipeWire rewrites as a
// note-off.
TEST_F(KeyboardToSynth, BurstOfFiftyThousandMixedMessagesAtFullRateArrivesWholeAndInOrder) {
    if (test::kSlowedBySanitizer)
        GTEST_SKIP() << "ThreadSanitizer makes the JACK clients miss their cycles";
    Connect();
    passThrough->SetMonitorLogging(true);
    passThrough->Start();
    client->SetMessagesPerCycle(1364);
    Messages burst;
    for (int i = 0; i < 50000; ++i) {
        const uint8_t a = static_cast<uint8_t>(i & 0x7F), b = static_cast<uint8_t>((i >> 7) & 0x7F);
        switch (i % 8) {
            case 0:
                burst.push_back({0x90, a, static_cast<uint8_t>(b | 1)});
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
    // A cycle lost to an xrun is the server's loss: the burst is played again.
    // A burst short of messages without an xrun fails.
    constexpr std::chrono::milliseconds kBurstWait{180000};
    bool whole = false;
    const bool clean = test::AttemptWithoutXruns(*client, [&] {
        client->ClearReceived();
        ASSERT_TRUE(client->SendAll(burst));
        ASSERT_TRUE(client->WaitUntilPlayed(kBurstWait));
        whole = test::WaitWhileArriving(*client, burst.size());
    });
    ASSERT_FALSE(HasFatalFailure());
    if (!clean) GTEST_SKIP() << test::kXrunsInEveryAttempt;
    ASSERT_TRUE(whole) << "arrived: " << client->Received().size()
                       << ", xruns: " << client->Xruns();
    EXPECT_EQ(client->Received().size(), burst.size());
    EXPECT_TRUE(client->Received() == burst) << "messages changed or out of order";
    EXPECT_EQ(client->Lost(), 0u);
    EXPECT_EQ(passThrough->DroppedSends(), 0u);
    std::printf("[ burst    ] at most %llu messages in one cycle of the test client\n",
                static_cast<unsigned long long>(client->MostPerCycle()));
}

TEST_F(KeyboardToSynth, AMessageLeavesAtTheFrameAndInTheCycleItArrivedIn) {
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer makes clients miss cycles";
    table.Set(Entry::KNOB01, "007");
    test::JackTestClient synth(test::UniqueName("synth"));
    ASSERT_NO_FATAL_FAILURE(ConnectToSynth(synth));

    const uint32_t frames[] = {0, 1, 37, 100, 127};
    bool all = false;
    const bool clean = test::AttemptWithoutXruns(*client, [&] {
        [&] {
            synth.ClearReceived();
            client->ClearReceived();
            for (uint32_t f : frames)
                ASSERT_TRUE(client->SendAt({0xB0, 0x4A, static_cast<uint8_t>(f)}, f));
            all = synth.WaitForCount(std::size(frames), kJackWait);
            ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
        }();
        return test::NotDelayedByPipeWire(client->PlayedFrames(), synth.ReceivedFrames());
    });
    ASSERT_FALSE(HasFatalFailure());
    if (!clean) GTEST_SKIP() << test::kXrunsInEveryAttempt;
    ASSERT_TRUE(all) << synth.Received().size() << " arrived";
    EXPECT_EQ(synth.Received().front(), (Bytes{0xB0, 0x07, 0x00}));
    // Played and received frames, counted from the server's start, are equal:
    // 0 frames added, whatever the offset inside the period.
    EXPECT_EQ(synth.ReceivedFrames(), client->PlayedFrames());
}

TEST_F(KeyboardToSynth, AConnectionMadeInAPatchbayForwardsWithNoDeviceChosen) {
    ASSERT_TRUE(client->ConnectPorts(client->OutPort(), name + ":in"));
    ASSERT_TRUE(client->ConnectPorts(name + ":out", client->InPort()));
    WaitUntilLive(true);
    passThrough->Start();
    ASSERT_TRUE(client->Send({0x90, 0x3C, 0x64}));
    ASSERT_TRUE(client->WaitForCount(1, kJackWait));
    EXPECT_EQ(client->Received(), (Messages{{0x90, 0x3C, 0x64}}));
    // Choosing and then dropping a device leaves the patchbay's connection alone.
    ASSERT_TRUE(keeper->Choose(PortDirection::Output, client->InPort()));
    keeper->Choose(PortDirection::Output, "");
    EXPECT_EQ(client->InConnections(), std::vector<std::string>{name + ":out"});
}

// A wire pulled in a patchbay stays pulled while both ports stay; the synth
// quitting and starting again is connected again.
TEST_F(KeyboardToSynth, TheRememberedPortIsConnectedAgainWhenItsClientReturns) {
    Connect(/*withOutput=*/false);
    passThrough->Start();
    const std::string synthName = test::UniqueName("synth");
    auto synth = std::make_unique<test::JackTestClient>(synthName);
    ASSERT_TRUE(keeper->Choose(PortDirection::Output, synth->InPort()));
    ASSERT_TRUE(Eventually([&] { return synth->InConnections().size() == 1; }));
    ASSERT_TRUE(synth->DisconnectPorts(name + ":out", synth->InPort()));
    EXPECT_FALSE(Eventually([&] { return !synth->InConnections().empty(); },
                            std::chrono::milliseconds(2500)))
        << "the pulled wire was put back";
    synth.reset();  // the synth quits...
    ASSERT_TRUE(Eventually([&] { return !keeper->Connected(PortDirection::Output); }));
    synth = std::make_unique<test::JackTestClient>(synthName);  // ...and starts again
    ASSERT_TRUE(synth->ok());
    ASSERT_TRUE(Eventually([&] { return keeper->Connected(PortDirection::Output); }))
        << "not connected again";
    const auto deadline = Clock::now() + kJackWait;
    while (!synth->WaitForCount(1, std::chrono::milliseconds(100)) && Clock::now() < deadline)
        client->Send({0xF6});
    EXPECT_EQ(synth->Received().front(), (Bytes{0xF6}));
}

// A note held while the wire to the synth is pulled and put back by hand: its
// note-off reaches the synth (no release went anywhere meanwhile).
TEST_F(KeyboardToSynth, ANoteOffAfterAWirePulledAndPutBackReachesTheSynth) {
    Connect();
    passThrough->Start();
    EXPECT_EQ(PlayAndCollect({{0x90, 0x3C, 0x64}}), (Messages{{0x90, 0x3C, 0x64}}));
    ASSERT_TRUE(client->DisconnectPorts(name + ":out", client->InPort()));
    ASSERT_TRUE(Eventually([&] { return !system->Linked(PortDirection::Output); }));
    passThrough->Stop();  // a release now reaches nobody
    ASSERT_TRUE(passThrough->Flush());
    passThrough->Start();
    ASSERT_TRUE(client->ConnectPorts(name + ":out", client->InPort()));
    EXPECT_EQ(PlayAndCollect({{0x80, 0x3C, 0x40}}), (Messages{{0x80, 0x3C, 0x40}}));
}

// The keyboard's client goes away (unplugged, its bridge restarted) while a
// note and the pedal are held through it: the synth gets both releases.
TEST_F(KeyboardToSynth, TheKeyboardGoingAwayReleasesWhatItHeld) {
    auto keys = std::make_unique<test::JackTestClient>(test::UniqueName("keys"));
    ASSERT_TRUE(keys->ok());
    ASSERT_TRUE(keeper->Choose(PortDirection::Input, keys->OutPort()));
    ASSERT_TRUE(keeper->Choose(PortDirection::Output, client->InPort()));
    passThrough->Start();
    const auto deadline = Clock::now() + kJackWait;
    while (!client->WaitForCount(1, std::chrono::milliseconds(100)) && Clock::now() < deadline)
        keys->Send({0xF6});
    ASSERT_TRUE(keys->WaitUntilPlayed(kJackWait));
    client->ClearReceived();
    ASSERT_TRUE(keys->SendAll({{0x90, 0x3C, 0x64}, {0xB0, 0x40, 0x7F}}));
    ASSERT_TRUE(client->WaitForCount(2, kJackWait));
    client->ClearReceived();
    keys.reset();
    ASSERT_TRUE(client->WaitForCount(2, kJackWait));
    EXPECT_EQ(client->Received(), (Messages{{0x80, 0x3C, 0x40}, {0xB0, 0x40, 0x00}}));
}

TEST_F(KeyboardToSynth, TheLargestEventPassesIntactAndALargerOneIsCountedNeverCut) {
    Connect();
    // The whole port buffer on jackd, one byte short of it on PipeWire (see the
    // JACK system).
    const size_t largest = client->LargestEvent() - (test::OnPipeWire() ? 1 : 0);
    ASSERT_GT(largest, 1000u);
    Bytes fits(largest, 0x22), tooLarge(largest + 1, 0x33);
    fits.front() = tooLarge.front() = 0xF0;
    fits.back() = tooLarge.back() = 0xF7;
    EXPECT_EQ(passThrough->SendMessage(tooLarge.data(), tooLarge.size()),
              PassThrough::Sending::TooLarge);
    ASSERT_EQ(passThrough->SendMessage(fits.data(), fits.size()), PassThrough::Sending::Queued);
    ASSERT_TRUE(client->WaitForCount(1, kJackWait));
    EXPECT_TRUE(client->Received().front() == fits);
    EXPECT_EQ(passThrough->DroppedLarge(), 1u);
    EXPECT_EQ(passThrough->LargestEvent(), largest);
    std::printf("[ largest  ] %zu bytes in one event\n", largest);
}

// 10,000 messages a second while the whole table is replaced 1,000 times: every
// message comes out translated wholly by one table or wholly by the other, and
// none is lost.
TEST_F(KeyboardToSynth, TablesReplacedUnderAStreamNeverMixAndLoseNothing) {
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer makes clients miss cycles";
    Connect();
    passThrough->Start();
    AssignmentTable a, b;
    a.Set(Entry::KNOB01, "007");  // B0 4A v -> B0 07 v
    b.Set(Entry::KNOB01, "011");  // B0 4A v -> B4 0B v
    b.Set(Entry::CHANEL, "005");
    passThrough->PublishTable(a);
    // 10,000 a second whatever the period (27 a cycle at 128 frames and 48 kHz).
    ASSERT_GT(client->Rate(), 0u);
    client->SetMessagesPerCycle(
        std::max(1, static_cast<int>(10000ull * client->Period() / client->Rate())));
    constexpr int kMessages = 12000;
    Messages stream;
    for (int i = 0; i < kMessages; ++i)
        stream.push_back({0xB0, 0x4A, static_cast<uint8_t>(i & 0x7F)});
    Messages got;
    bool all = false;
    const bool clean = test::AttemptWithoutXruns(*client, [&] {
        client->ClearReceived();
        std::thread keys([&] { client->SendAll(stream); });
        for (int i = 0; i < 1000; ++i) passThrough->PublishTable(i % 2 ? a : b);
        keys.join();
        ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
        all = test::WaitWhileArriving(*client, kMessages);
        got = client->Received();
    });
    ASSERT_FALSE(HasFatalFailure());
    if (!clean) GTEST_SKIP() << test::kXrunsInEveryAttempt;
    ASSERT_TRUE(all) << got.size() << " arrived, xruns: " << client->Xruns()
                     << ", lost by Ostrel: " << passThrough->Lost();
    ASSERT_EQ(got.size(), static_cast<size_t>(kMessages));
    int fromA = 0, fromB = 0;
    for (int i = 0; i < kMessages; ++i) {
        const Bytes& m = got[static_cast<size_t>(i)];
        ASSERT_EQ(m.size(), 3u);
        ASSERT_EQ(m[2], i & 0x7F) << "out of order at " << i;
        if (m[0] == 0xB0 && m[1] == 0x07)
            ++fromA;
        else if (m[0] == 0xB4 && m[1] == 0x0B)
            ++fromB;
        else
            FAIL() << "a mixed translation at " << i << ": " << int(m[0]) << " " << int(m[1]);
    }
    EXPECT_GT(fromA, 0);
    EXPECT_GT(fromB, 0);
}

// 1,000 scene switches by triggers that the keyboard plays inside a stream of
// 10,000 messages a second, as a player would. Every message comes out
// translated wholly by one scene: the one in force when its cycle began, or the
// one that triggers before it in its own cycle chose. None is lost, none leaves
// later than it arrived, and no trigger is forwarded.
TEST_F(KeyboardToSynth, ScenesSwitchedInTheStreamTakeOverByTheNextCycleAndLoseNothing) {
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer makes clients miss cycles";
    // Scene k: knob 1 (B0 4A v) -> CC 10 + k on channel k + 1, so that a message
    // names the scene that translated it and a mixed translation shows.
    constexpr int kScenes = 4;
    AssignmentTable tables[kScenes];
    SceneTables scenes;
    for (int k = 0; k < kScenes; ++k) {
        char cc[8], channel[8];
        std::snprintf(cc, sizeof cc, "%03d", 10 + k);
        std::snprintf(channel, sizeof channel, "%03d", k + 1);
        tables[k].Set(Entry::KNOB01, cc);
        tables[k].Set(Entry::CHANEL, channel);
        scenes.tables.push_back(&tables[k]);
    }
    scenes.triggers.programChannel = SetlistTriggers::kAnyChannel;
    ASSERT_TRUE(ParseTriggerMessage("B0 76 7F", scenes.triggers.next));
    ASSERT_TRUE(ParseTriggerMessage("B0 75 7F", scenes.triggers.previous));
    const Bytes next = {0xB0, 0x76, 0x7F}, previous = {0xB0, 0x75, 0x7F};

    // Eight to fourteen messages, then a trigger, so that triggers fall on every
    // place of a cycle: a program change choosing another scene, every fifth a
    // NEXT and every fifth a PREV. before[e]: the scene that the triggers played
    // before event e chose.
    constexpr int kSwitches = 1000;
    Messages stream;
    std::vector<int> before;
    std::vector<bool> trigger;
    int scene = 0, messages = 0;
    auto play = [&](Bytes event, bool isTrigger) {
        stream.push_back(std::move(event));
        before.push_back(scene);
        trigger.push_back(isTrigger);
    };
    for (int j = 0; j <= kSwitches; ++j) {
        for (int m = 0; m < 8 + j % 7; ++m, ++messages)
            play({0xB0, 0x4A, static_cast<uint8_t>(messages & 0x7F)}, false);
        if (j == kSwitches) break;  // the last trigger's messages are played too
        if (j % 5 == 3) {
            play(next, true);
            scene = std::min(scene + 1, kScenes - 1);
        } else if (j % 5 == 4) {
            play(previous, true);
            scene = std::max(scene - 1, 0);
        } else {
            const int program = (scene + 1 + j % (kScenes - 1)) % kScenes;
            play({0xC7, static_cast<uint8_t>(program)}, true);
            scene = program;
        }
    }

    test::JackTestClient synth(test::UniqueName("synth"));
    ASSERT_NO_FATAL_FAILURE(ConnectToSynth(synth));
    passThrough->SetScenes(&scenes);
    struct Unset {
        PassThrough& p;
        ~Unset() { p.SetScenes(nullptr); }  // before the tables go
    } unset{*passThrough};
    // 10,000 a second whatever the period, as the table-swap stream.
    ASSERT_GT(client->Rate(), 0u);
    client->SetMessagesPerCycle(
        std::max(1, static_cast<int>(10000ull * client->Period() / client->Rate())));
    bool all = false;
    const bool clean = test::AttemptWithoutXruns(*client, [&] {
        [&] {
            ASSERT_TRUE(passThrough->RequestScene(0));
            synth.ClearReceived();
            client->ClearReceived();
            ASSERT_TRUE(client->SendAll(stream));
            ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
            all = test::WaitWhileArriving(synth, static_cast<size_t>(messages));
        }();
        std::vector<uint32_t> forwarded;
        const std::vector<uint32_t> frames = client->PlayedFrames();
        for (size_t e = 0; e < frames.size() && e < stream.size(); ++e)
            if (!trigger[e]) forwarded.push_back(frames[e]);
        return test::NotDelayedByPipeWire(forwarded, synth.ReceivedFrames());
    });
    ASSERT_FALSE(HasFatalFailure());
    if (!clean) GTEST_SKIP() << test::kXrunsInEveryAttempt;
    const Messages got = synth.Received();
    ASSERT_TRUE(all) << got.size() << " arrived, xruns: " << client->Xruns()
                     << ", lost by Ostrel: " << passThrough->Lost();
    ASSERT_EQ(got.size(), static_cast<size_t>(messages)) << "a trigger was forwarded";
    const std::vector<uint32_t> played = client->PlayedFrames(), arrived = synth.ReceivedFrames();
    ASSERT_EQ(played.size(), stream.size());

    // The keyboard plays a cycle's events on consecutive frames from its start:
    // a gap begins the next cycle.
    size_t cycleStart = 0, received = 0;
    int tookOverInTheirCycle = 0, afterATrigger = 0;
    for (size_t e = 0; e < stream.size(); ++e) {
        if (e > 0 && played[e] != played[e - 1] + 1) cycleStart = e;
        if (trigger[e]) continue;
        const Bytes& m = got[received];
        ASSERT_EQ(arrived[received], played[e]) << "late at message " << received;
        ASSERT_EQ(m.size(), 3u);
        ASSERT_EQ(m[2], received & 0x7F) << "out of order at " << received;
        const int by = m[0] & 0x0F;
        ASSERT_TRUE((m[0] & 0xF0) == 0xB0 && by < kScenes && m[1] == 10 + by)
            << "a mixed translation at " << received << ": " << int(m[0]) << " " << int(m[1]);
        ASSERT_TRUE(by == before[cycleStart] || by == before[e])
            << "message " << received << " by scene " << by + 1 << ", its cycle began with "
            << before[cycleStart] + 1 << ", the triggers before it chose " << before[e] + 1;
        if (before[e] != before[cycleStart]) {
            ++afterATrigger;
            if (by == before[e]) ++tookOverInTheirCycle;
        }
        ++received;
    }
    EXPECT_EQ(passThrough->CurrentScene(), scene);
    std::printf("[ scenes   ] %d of %d messages after a trigger in its own cycle took its scene\n",
                tookOverInTheirCycle, afterATrigger);
}

// A half-damper pedal and a key struck again, held across each way the table
// in force changes (a program change of the setlist, a step from the window, a
// table read again): every move and end goes where the gesture began, and
// nothing is left sounding. A trigger button's release never reaches the
// synth, and a step from the window adds to a trigger's.
TEST_F(KeyboardToSynth, EveryGestureEndsWhereItBeganWhateverSwitchesMeanwhile) {
    AssignmentTable tables[3];
    SceneTables scenes;
    const char* channels[] = {"001", "002", "003"};
    for (int k = 0; k < 3; ++k) {
        tables[k].Set(Entry::CHANEL, channels[k]);
        scenes.tables.push_back(&tables[k]);
    }
    scenes.triggers.programChannel = SetlistTriggers::kAnyChannel;
    ASSERT_TRUE(ParseTriggerMessage("B0 76 7F", scenes.triggers.next));
    ASSERT_TRUE(ParseTriggerMessage("B0 75 7F", scenes.triggers.previous));
    test::JackTestClient synth(test::UniqueName("synth"));
    ASSERT_NO_FATAL_FAILURE(ConnectToSynth(synth));
    struct Unset {
        PassThrough& p;
        ~Unset() { p.SetScenes(nullptr); }  // before the tables go
    } unset{*passThrough};
    const auto collect = [&](const Messages& played) { return PlayAndCollect(played, &synth); };
    AssignmentTable two;
    two.Set(Entry::CHANEL, "002");
    const struct {
        const char* what;
        std::function<void()> before, change;
        Messages trigger;
    } switches[] = {
        {"a program change", [&] { passThrough->SetScenes(&scenes); }, [] {}, {{0xC0, 0x01}}},
        {"a step of the window",
         [&] { passThrough->SetScenes(&scenes); },
         [&] { EXPECT_TRUE(passThrough->RequestStep(1)); },
         {}},
        {"a table read again",
         [&] {
             passThrough->SetScenes(nullptr);
             passThrough->PublishTable(tables[0]);
         },
         [&] { passThrough->PublishTable(two); },
         {}},
    };
    for (const auto& s : switches) {
        SCOPED_TRACE(s.what);
        s.before();
        Messages start = {{0xB0, 0x40, 0x7F}, {0x90, 0x3C, 0x64}};
        start.insert(start.end(), s.trigger.begin(), s.trigger.end());
        EXPECT_EQ(collect(start), (Messages{{0xB0, 0x40, 0x7F}, {0x90, 0x3C, 0x64}}));
        s.change();
        EXPECT_EQ(collect({{0xB0, 0x40, 0x64},
                           {0xB0, 0x40, 0x00},
                           {0x90, 0x3C, 0x50},
                           {0x80, 0x3C, 0x40},
                           {0x80, 0x3C, 0x40}}),
                  (Messages{{0xB0, 0x40, 0x64},
                            {0xB0, 0x40, 0x00},
                            {0x80, 0x3C, 0x40},
                            {0x91, 0x3C, 0x50},
                            {0x81, 0x3C, 0x40},
                            {0x81, 0x3C, 0x40}}));
    }

    passThrough->SetScenes(&scenes);
    EXPECT_TRUE(collect({{0xB0, 0x76, 0x7F}, {0xB0, 0x76, 0x00}}).empty()) << "the button";
    EXPECT_TRUE(Eventually([&] { return passThrough->CurrentScene() == 1; }));
    // At scene 3, a Previous from the keyboard and one from the window: scene 1.
    EXPECT_TRUE(passThrough->RequestScene(2));
    ASSERT_TRUE(client->Send({0xB0, 0x75, 0x7F}));
    EXPECT_TRUE(passThrough->RequestStep(-1));
    collect({});
    EXPECT_TRUE(Eventually([&] { return passThrough->CurrentScene() == 0; }));
}

// One cycle brings more than the output port carries, then a note-off: the
// note-off is not lost with what did not fit; it goes out first in the next
// cycle. jackd2 carries 4,093 short events on a port in one cycle; PipeWire
// drops a cycle of more than 1,364 whole, input included.
TEST_F(KeyboardToSynth, ANoteOffThatDoesNotFitInAFullCycleArrivesInTheNext) {
    if (test::OnPipeWire()) GTEST_SKIP() << "PipeWire drops a cycle this full whole";
    if (test::kSlowedBySanitizer) GTEST_SKIP() << "ThreadSanitizer makes clients miss cycles";
    test::JackTestClient synth(test::UniqueName("synth"));
    ASSERT_NO_FATAL_FAILURE(ConnectToSynth(synth));
    ASSERT_TRUE(client->Send({0x90, 0x3C, 0x64}));
    ASSERT_TRUE(synth.WaitForCount(1, kJackWait));
    Bytes thousand;
    for (int i = 0; i < 1000; ++i) thousand.insert(thousand.end(), {0xB3, 0x15, 0x40});
    client->SetMessagesPerCycle(6);
    const bool clean = test::AttemptWithoutXruns(*client, [&] {
        synth.ClearReceived();
        ASSERT_TRUE(client->SendAll(
            {thousand, thousand, thousand, thousand, thousand, {0x80, 0x3C, 0x40}}));
        ASSERT_TRUE(client->WaitUntilPlayed(kJackWait));
    });
    ASSERT_FALSE(HasFatalFailure());
    if (!clean) GTEST_SKIP() << test::kXrunsInEveryAttempt;
    EXPECT_GT(passThrough->DroppedSends(), 0u) << "the cycle was not full";
    ASSERT_TRUE(Eventually([&] {
        const Messages got = synth.Received();
        return std::find(got.begin(), got.end(), Bytes{0x80, 0x3C, 0x40}) != got.end();
    })) << "the note-off was lost";
}

}  // namespace
}  // namespace ostrel
