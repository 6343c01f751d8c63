// Scenes through the pass-through over the in-process fake: a trigger switches
// the table from the next cycle on and is not forwarded (unless the setlist
// passes it), Next and Previous stop at the ends, another thread's request is
// taken between two cycles, held notes end where they began, and every switch
// is a monitor entry of its own.
#include <gtest/gtest.h>

#include <memory>

#include "midi/fake_midi_system.h"
#include "midi/monitor_line.h"
#include "midi/pass_through.h"

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

class ScenesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Scene 1 sends everything on channel 2, scene 2 on channel 5, scene 3
        // turns knob 1 into controller 7.
        const char* channels[] = {"002", "005", "***"};
        for (int i = 0; i < 3; ++i) {
            tables[i].Set(Entry::CHANEL, channels[i]);
            scenes.tables.push_back(&tables[i]);
        }
        tables[2].Set(Entry::KNOB01, "007");
        scenes.triggers.programChannel = SetlistTriggers::kAnyChannel;
        scenes.triggers.next = {{0xB0, 0x76, 0x7F}, 3};
        scenes.triggers.previous = {{0xB0, 0x75, 0x7F}, 3};
        ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr));
        passThrough.SetScenes(&scenes);
        passThrough.Start();
    }
    Messages Cycle(const Messages& events) {
        midi.ClearSent();
        EXPECT_TRUE(midi.RunCycle(events));
        return midi.Sent();
    }
    // The scene entries of the queue, as "scene/count".
    std::vector<std::string> Switches() {
        std::vector<std::string> seen;
        MonitorEvent event;
        while (passThrough.PopEvent(event))
            if (event.kind == MonitorEvent::Kind::SceneSwitch)
                seen.push_back(FormatSceneLine(event, "f").substr(17));
        return seen;
    }

    AssignmentTable live, tables[3];
    SceneTables scenes;
    CurrentCurves curves;
    FakeMidiSystem midi;
    PassThrough passThrough{live, curves, midi};
};

TEST_F(ScenesTest, ATriggerSwitchesFromTheNextCycleOnAndIsNotForwarded) {
    struct Case {
        const char* what;
        Bytes trigger;
        bool pass;
        Messages sameCycle;  // the trigger's own cycle: the scene before
        Messages nextCycle;
        int scene;
    };
    const Bytes knob = {0xB0, 0x4A, 0x40};
    const Case cases[] = {
        {"program 2 on any channel",
         {0xC4, 0x01},
         false,
         {{0xB1, 0x4A, 0x40}},
         {{0xB4, 0x4A, 0x40}},
         1},
        {"next", {0xB0, 0x76, 0x7F}, false, {{0xB1, 0x4A, 0x40}}, {{0xB4, 0x4A, 0x40}}, 1},
        {"program 3, passed on",
         {0xC0, 0x02},
         true,
         {{0xC1, 0x02}, {0xB1, 0x4A, 0x40}},
         {{0xB0, 0x07, 0x40}},
         2},
        {"program 9: no such scene",
         {0xC0, 0x08},
         false,
         {{0xB1, 0x4A, 0x40}},
         {{0xB1, 0x4A, 0x40}},
         0},
        {"previous at the first scene",
         {0xB0, 0x75, 0x7F},
         false,
         {{0xB1, 0x4A, 0x40}},
         {{0xB1, 0x4A, 0x40}},
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scenes.triggers.pass = c.pass;
        passThrough.SetScenes(&scenes);  // scene 1 again
        EXPECT_EQ(Cycle({c.trigger, knob}), c.sameCycle);
        EXPECT_EQ(Cycle({knob}), c.nextCycle);
        EXPECT_EQ(passThrough.CurrentScene(), c.scene);
    }
}

TEST_F(ScenesTest, NextAndPreviousStopAtTheEndsAndEverySwitchIsShown) {
    const Bytes next = {0xB0, 0x76, 0x7F}, previous = {0xB0, 0x75, 0x7F};
    // Two in one cycle count twice; a third goes no further than the last scene.
    Cycle({next, next, next});
    Cycle({});
    EXPECT_EQ(passThrough.CurrentScene(), 2);
    Cycle({next});
    Cycle({previous});
    Cycle({});
    EXPECT_EQ(passThrough.CurrentScene(), 1);
    // Another thread's choice, taken between two cycles (the fake runs one on Wake).
    EXPECT_TRUE(passThrough.RequestScene(0));
    EXPECT_EQ(passThrough.CurrentScene(), 0);
    EXPECT_EQ(Switches(), (std::vector<std::string>{"    scene 3/3: f\n", "    scene 2/3: f\n",
                                                    "    scene 1/3: f\n"}));
}

TEST_F(ScenesTest, AChordHeldAcrossASwitchEndsWhereItBegan) {
    EXPECT_EQ(Cycle({{0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}, {0xB0, 0x40, 0x7F}}),
              (Messages{{0x91, 0x3C, 0x64}, {0x91, 0x40, 0x64}, {0xB1, 0x40, 0x7F}}));
    Cycle({{0xC0, 0x01}});
    EXPECT_EQ(Cycle({{0x80, 0x3C, 0x40},
                     {0x90, 0x43, 0x64},
                     {0x80, 0x40, 0x40},
                     {0xB0, 0x40, 0x00},
                     {0x80, 0x43, 0x40}}),
              (Messages{{0x81, 0x3C, 0x40},
                        {0x94, 0x43, 0x64},
                        {0x81, 0x40, 0x40},
                        {0xB1, 0x40, 0x00},
                        {0x84, 0x43, 0x40}}));
}

TEST_F(ScenesTest, WithoutScenesTheLiveTableIsInForceAgain) {
    live.Set(Entry::CHANEL, "009");
    passThrough.SetScenes(nullptr);
    EXPECT_EQ(Cycle({{0xC0, 0x01}, {0xB0, 0x4A, 0x40}}),
              (Messages{{0xC8, 0x01}, {0xB8, 0x4A, 0x40}}));
    EXPECT_EQ(passThrough.CurrentScene(), 0);
}

}  // namespace
}  // namespace ostrel
