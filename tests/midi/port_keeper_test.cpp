// The port keeper over the in-process fake MIDI system: choices become
// connections, come back with their ports and with the server, and the output
// releases what it holds before it changes.
#include "midi/port_keeper.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "support/eventually.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

using Names = std::vector<std::string>;
using test::Eventually;

class PortKeeperTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(keeper.Start(nullptr)); }

    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi{{"Keys:out", "Pads:out"}, {"Synth:in", "Other:in"}};
    PassThrough passThrough{table, curves, midi};
    PortKeeper keeper{midi, passThrough, "Ostrel"};
};

TEST_F(PortKeeperTest, AChoiceIsAConnectionThatReplacesOnlyTheOneItMade) {
    EXPECT_TRUE(keeper.Choose(PortDirection::Input, "Keys:out"));
    EXPECT_EQ(midi.Connections(PortDirection::Input), Names{"Keys:out"});
    ASSERT_TRUE(midi.Connect(PortDirection::Input, "Pads:out", nullptr));  // a patchbay's
    EXPECT_TRUE(keeper.Choose(PortDirection::Input, "Pads:out"));
    EXPECT_EQ(midi.Connections(PortDirection::Input), Names{"Pads:out"});
    keeper.Choose(PortDirection::Input, "");
    EXPECT_EQ(midi.Connections(PortDirection::Input), Names{"Pads:out"});  // left alone

    std::string why;
    EXPECT_FALSE(keeper.Choose(PortDirection::Output, "Ostrel:in", &why));
    EXPECT_NE(why.find("itself"), std::string::npos);
    EXPECT_EQ(keeper.Chosen(PortDirection::Output), "");
}

TEST_F(PortKeeperTest, AnAbsentPortIsConnectedWhenItAppearsAndAgainWhenItReturns) {
    EXPECT_TRUE(keeper.Choose(PortDirection::Output, "Later:in"));
    EXPECT_FALSE(keeper.Connected(PortDirection::Output));
    midi.SetDevices(PortDirection::Output, {"Synth:in", "Later:in"});
    EXPECT_TRUE(Eventually([&] { return keeper.Connected(PortDirection::Output); }));
    midi.SetDevices(PortDirection::Output, {"Synth:in"});
    EXPECT_FALSE(keeper.Connected(PortDirection::Output));
    midi.SetDevices(PortDirection::Output, {"Later:in", "Synth:in"});
    EXPECT_TRUE(Eventually([&] { return keeper.Connected(PortDirection::Output); }));
}

TEST_F(PortKeeperTest, ChangingTheOutputReleasesHeldNotesOnTheOldOneFirst) {
    keeper.Choose(PortDirection::Output, "Synth:in");
    passThrough.Start();
    ASSERT_TRUE(midi.Deliver({0x90, 0x3C, 0x64}));
    midi.ClearSent();
    keeper.Choose(PortDirection::Output, "Other:in");
    EXPECT_EQ(midi.Sent(), (std::vector<FakeMidiSystem::Bytes>{{0x80, 0x3C, 0x40}}));
    EXPECT_EQ(midi.Connections(PortDirection::Output), Names{"Other:in"});
}

// A wire pulled in a patchbay stays pulled while both ports stay; the port
// going and coming back, or the user choosing it again, connects it again.
TEST_F(PortKeeperTest, ThePatchbayHasTheLastWord) {
    keeper.Choose(PortDirection::Output, "Synth:in");
    midi.Disconnect(PortDirection::Output, "Synth:in");  // the patchbay's
    ASSERT_TRUE(Eventually([&] { return !keeper.Connected(PortDirection::Output); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(1500));  // past the next looks
    EXPECT_TRUE(midi.Connections(PortDirection::Output).empty());
    midi.SetDevices(PortDirection::Output, {"Other:in"});              // the synth quits...
    midi.SetDevices(PortDirection::Output, {"Other:in", "Synth:in"});  // ...and starts again
    EXPECT_TRUE(Eventually([&] { return keeper.Connected(PortDirection::Output); }));
    midi.Disconnect(PortDirection::Output, "Synth:in");
    keeper.Choose(PortDirection::Output, "Synth:in");
    EXPECT_EQ(midi.Connections(PortDirection::Output), Names{"Synth:in"});
}

// The chosen synth goes away with a note held: where the output still goes
// elsewhere, the note is released there; with nothing left, nothing is sent.
TEST_F(PortKeeperTest, TheSynthGoingAwayReleasesWhereTheOutputStillGoes) {
    for (const int others : {1, 0}) {
        SCOPED_TRACE(others);
        midi.SetOtherLinks(PortDirection::Output, others);
        midi.SetDevices(PortDirection::Output, {"Synth:in"});
        keeper.Choose(PortDirection::Output, "Synth:in");
        ASSERT_TRUE(Eventually([&] { return keeper.Connected(PortDirection::Output); }));
        passThrough.Start();
        ASSERT_TRUE(midi.Deliver({0x90, 0x3C, 0x64}));
        midi.ClearSent();
        midi.SetDevices(PortDirection::Output, {});
        if (others) {
            EXPECT_TRUE(Eventually([&] {
                return midi.Sent() == std::vector<FakeMidiSystem::Bytes>{{0x80, 0x3C, 0x40}};
            }));
        } else {
            ASSERT_TRUE(passThrough.Flush());
            EXPECT_TRUE(midi.Sent().empty());
        }
        keeper.Choose(PortDirection::Output, "");
    }
}

TEST_F(PortKeeperTest, AfterTheServerLeavesItIsSoughtAndPortsAndConnectionsComeBack) {
    // A consumer that sleeps until it is told finds each notice there.
    std::atomic<int> told{0};
    keeper.OnNotice([&] { ++told; });
    keeper.Choose(PortDirection::Input, "Keys:out");
    midi.LoseServer();
    std::string notice;
    ASSERT_TRUE(Eventually([&] { return told == 1; }));
    ASSERT_TRUE(keeper.TakeNotice(notice));
    EXPECT_NE(notice.find("has stopped"), std::string::npos) << notice;
    EXPECT_FALSE(keeper.Online());
    midi.SetServerAvailable(true);
    ASSERT_TRUE(Eventually([&] { return told == 2; }));
    ASSERT_TRUE(keeper.TakeNotice(notice));
    EXPECT_NE(notice.find("is back"), std::string::npos) << notice;
    EXPECT_TRUE(keeper.Online());
    EXPECT_EQ(midi.OpenCount(), 2);
    EXPECT_EQ(midi.Connections(PortDirection::Input), Names{"Keys:out"});
    keeper.OnNotice(nullptr);
}

}  // namespace
}  // namespace ostrel
