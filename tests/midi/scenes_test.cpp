// Scenes through the pass-through over the in-process fake: a trigger switches
// the table from the next cycle on and is not forwarded unless the setlist
// passes it, Previous stops at the first scene, and held notes end where they
// began.
#include <gtest/gtest.h>

#include "midi/monitor_line.h"
#include "midi/pass_through.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

class ScenesTest : public ::testing::Test {
  protected:
    void SetUp() override {
        // Scene 1 sends on channel 2, scene 2 on channel 5, scene 3 turns knob 1 into CC 7.
        const char* channels[] = {"002", "005", "***"};
        for (int i = 0; i < 3; ++i) {
            tables[i].Set(Entry::CHANEL, channels[i]);
            scenes.tables.push_back(&tables[i]);
        }
        tables[2].Set(Entry::KNOB01, "007");
        scenes.triggers = {
            SetlistTriggers::kAnyChannel, {{0xB0, 0x76, 0x7F}, 3}, {{0xB0, 0x75, 0x7F}, 3}, false};
        ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr));
        passThrough.SetScenes(&scenes);
        passThrough.Start();
    }
    Messages Cycle(const Messages& events) {
        midi.ClearSent();
        EXPECT_TRUE(midi.RunCycle(events));
        return midi.Sent();
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
        int programChannel;
        bool pass;
        Bytes trigger;
        Messages sameCycle;  // the trigger's own cycle: the scene before
        Bytes nextCycle;
        int scene;
    };
    const Bytes knob = {0xB0, 0x4A, 0x40}, onTwo = {0xB1, 0x4A, 0x40};
    const Case cases[] = {
        {"program 2, any channel", 0, false, {0xC4, 0x01}, {onTwo}, {0xB4, 0x4A, 0x40}, 1},
        {"program 2 on channel 5", 5, false, {0xC4, 0x01}, {onTwo}, {0xB4, 0x4A, 0x40}, 1},
        {"program 2 on another channel", 6, false, {0xC4, 0x01}, {{0xC1, 0x01}, onTwo}, onTwo, 0},
        {"next", 0, false, {0xB0, 0x76, 0x7F}, {onTwo}, {0xB4, 0x4A, 0x40}, 1},
        {"program 3, passed on",
         0,
         true,
         {0xC0, 0x02},
         {{0xC1, 0x02}, onTwo},
         {0xB0, 0x07, 0x40},
         2},
        {"program 9: no such scene", 0, false, {0xC0, 0x08}, {onTwo}, onTwo, 0},
        {"previous at the first scene", 0, false, {0xB0, 0x75, 0x7F}, {onTwo}, onTwo, 0},
        {"next's button let go", 0, false, {0xB0, 0x76, 0x00}, {onTwo}, onTwo, 0},
        {"next's button let go, passed on",
         0,
         true,
         {0xB0, 0x76, 0x00},
         {{0xB1, 0x76, 0x00}, onTwo},
         onTwo,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        scenes.triggers.programChannel = c.programChannel;
        scenes.triggers.pass = c.pass;
        passThrough.SetScenes(&scenes);  // scene 1 again
        EXPECT_EQ(Cycle({c.trigger, knob}), c.sameCycle);
        EXPECT_EQ(Cycle({knob}), Messages{c.nextCycle});
        EXPECT_EQ(passThrough.CurrentScene(), c.scene);
    }
}

TEST_F(ScenesTest, AProgramChangePastTheLastSceneIsShownAsNamingNoScene) {
    passThrough.SetScenes(&scenes);
    passThrough.SetMonitorLogging(true);
    Cycle({{0xC0, 0x08}});
    std::string lines;
    MonitorEvent event;
    while (passThrough.PopEvent(event)) lines += FormatMonitorLine(event, false);
    EXPECT_NE(lines.find("    C0 08 00       => no scene 9\n"), std::string::npos) << lines;
}

TEST_F(ScenesTest, AChordHeldAcrossASwitchEndsWhereItBeganAndWithoutScenesTheLiveTableRules) {
    EXPECT_EQ(Cycle({{0x90, 0x3C, 0x64}, {0x90, 0x40, 0x64}, {0xB0, 0x40, 0x7F}, {0xC0, 0x01}}),
              (Messages{{0x91, 0x3C, 0x64}, {0x91, 0x40, 0x64}, {0xB1, 0x40, 0x7F}}));
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
    live.Set(Entry::CHANEL, "009");
    passThrough.SetScenes(nullptr);
    EXPECT_EQ(Cycle({{0xC0, 0x01}}), (Messages{{0xC8, 0x01}}));
}

TEST_F(ScenesTest, AFileReadAgainReplacesItsTableWholeAndTheSceneInForceStays) {
    const Bytes knob = {0xB0, 0x4A, 0x40}, next = {0xB0, 0x76, 0x7F};
    Cycle({next});  // scene 2 from the next cycle on
    // Its file read twice before a cycle runs, then scene 3's while a trigger
    // has chosen it: each table read rules from the next cycle on, in its scene.
    AssignmentTable again[3];
    const char* channels[] = {"009", "010", "011"};
    for (int i = 0; i < 3; ++i) again[i].Set(Entry::CHANEL, channels[i]);
    tables[1].CopyFrom(again[0]);
    tables[1].CopyFrom(again[1]);
    EXPECT_EQ(Cycle({knob, next}), (Messages{{0xB9, 0x4A, 0x40}}));
    tables[2].CopyFrom(again[2]);
    EXPECT_EQ(Cycle({knob}), (Messages{{0xBA, 0x4A, 0x40}}));
    EXPECT_EQ(passThrough.CurrentScene(), 2);
    // A setlist set again starts at scene 1, whatever is edited before a cycle.
    passThrough.SetScenes(&scenes);
    tables[1].Set(Entry::CHANEL, "012");
    EXPECT_EQ(Cycle({knob}), (Messages{{0xB1, 0x4A, 0x40}}));
}

}  // namespace
}  // namespace ostrel
