// The port keeper over the in-process fake MIDI system: choices become
// connections, come back with their ports and with the server, and the output
// releases what it holds before it changes.
#include "midi/port_keeper.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "midi/fake_midi_system.h"
#include "support/eventually.h"

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

TEST_F(PortKeeperTest, AfterTheServerLeavesItIsSoughtAndPortsAndConnectionsComeBack) {
    keeper.Choose(PortDirection::Input, "Keys:out");
    midi.LoseServer();
    std::string notice;
    ASSERT_TRUE(Eventually([&] { return keeper.TakeNotice(notice); }));
    EXPECT_NE(notice.find("has stopped"), std::string::npos) << notice;
    EXPECT_FALSE(keeper.Online());
    midi.SetServerAvailable(true);
    ASSERT_TRUE(Eventually([&] { return keeper.TakeNotice(notice); }));
    EXPECT_NE(notice.find("is back"), std::string::npos) << notice;
    EXPECT_TRUE(keeper.Online());
    EXPECT_EQ(midi.OpenCount(), 2);
    EXPECT_EQ(midi.Connections(PortDirection::Input), Names{"Keys:out"});
}

}  // namespace
}  // namespace ostrel
