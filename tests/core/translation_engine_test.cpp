// What the engine sends for each control of the keyboard, with the table at its
// defaults and straight curves unless a test changes them.
#include <gtest/gtest.h>

#include "tests/core/engine_harness.h"

namespace ostrel::test {
namespace {

using ControlsTest = EngineTest;

TEST_F(ControlsTest, KnobReplacedOnItsOwnChannelThenMovedByChanel) {
    table.Set(Entry::KNOB01, "007");
    Translation t = Short({0xB2, 0x4A, 0x40});
    EXPECT_EQ(t.out, (Bytes{0xB2, 0x07, 0x40}));
    EXPECT_EQ(t.outLength, 3);
    EXPECT_EQ(t.matchedSteps, 2);

    table.Set(Entry::CHANEL, "010");
    EXPECT_EQ(Short({0xB2, 0x4A, 0x40}).out, (Bytes{0xB9, 0x07, 0x40}));
}

TEST_F(ControlsTest, OffSuppressesAndNoChangePasses) {
    table.Set(Entry::KNOB01, "###");
    EXPECT_TRUE(Short({0xB2, 0x4A, 0x40}).Suppressed());
    table.Set(Entry::KNOB01, "***");
    Translation t = Short({0xB2, 0x4A, 0x40});
    EXPECT_EQ(t.out, (Bytes{0xB2, 0x4A, 0x40}));
    EXPECT_EQ(t.matchedSteps, 2);
}

// Each control change the keyboard sends, with its entry, as the keyboard's
// manual lists them; every one keeps the input's channel and value.
struct ControlChangeCase {
    Entry entry;
    uint8_t controller;
};

TEST_F(ControlsTest, EveryAnyChannelControllerIsReplacedWithItsValue) {
    const ControlChangeCase cases[] = {
        {Entry::KNOB01, 74},    {Entry::KNOB02, 71},   {Entry::KNOB03, 73},   {Entry::KNOB04, 72},
        {Entry::KNOB05, 10},    {Entry::KNOB06, 91},   {Entry::KNOB07, 93},   {Entry::DRAWBARM, 12},
        {Entry::DRAWBAR1, 13},  {Entry::DRAWBAR2, 14}, {Entry::DRAWBAR3, 15}, {Entry::DRAWBAR4, 16},
        {Entry::DRAWBAR5, 17},  {Entry::DRAWBAR6, 18}, {Entry::DRAWBAR7, 19}, {Entry::DRAWBAR8, 20},
        {Entry::MODULATION, 1}, {Entry::SUSTAIN, 64},  {Entry::CONTROL, 11},  {Entry::BC, 2},
    };
    for (const ControlChangeCase& c : cases) {
        SCOPED_TRACE(EntryName(c.entry));
        table.Set(c.entry, "100");
        for (const uint8_t status : {0xB0, 0xB7, 0xBF}) {
            EXPECT_EQ(Short({status, c.controller, 0x21}).out, (Bytes{status, 100, 0x21}));
        }
        table.Set(c.entry, "###");
        EXPECT_TRUE(Short({0xB5, c.controller, 0x21}).Suppressed());
        table.Set(c.entry, "***");
    }
}

TEST_F(ControlsTest, ControlInputAndPitchWheel) {
    table.Set(Entry::CONTROL, "004");
    EXPECT_EQ(Short({0xB0, 0x0B, 0x50}).out, (Bytes{0xB0, 0x04, 0x50}));

    table.Set(Entry::PITCH, "001");
    EXPECT_EQ(Short({0xE0, 0x00, 0x40}).out, (Bytes{0xB0, 0x01, 0x40}));
    // The coarse half of the bend becomes the value, on the bend's channel.
    EXPECT_EQ(Short({0xE5, 0x7F, 0x12}).out, (Bytes{0xB5, 0x01, 0x12}));
}

TEST_F(ControlsTest, VolumeFadersAnswerOnlyOnTheirOwnChannel) {
    table.Set(Entry::VOL01, "011");
    EXPECT_EQ(Short({0xB0, 0x07, 0x64}).out, (Bytes{0xB0, 0x0B, 0x64}));
    // Channel 2 is VOL02, still "***": passed.
    EXPECT_EQ(Short({0xB1, 0x07, 0x64}).out, (Bytes{0xB1, 0x07, 0x64}));

    table.Set(Entry::VOL16, "012");
    EXPECT_EQ(Short({0xBF, 0x07, 0x01}).out, (Bytes{0xBF, 0x0C, 0x01}));
    table.Set(Entry::VOL09, "###");
    EXPECT_TRUE(Short({0xB8, 0x07, 0x01}).Suppressed());
    EXPECT_FALSE(Short({0xB9, 0x07, 0x01}).Suppressed());
}

TEST_F(ControlsTest, MasterFaderInBothForms) {
    const Bytes masterVolume = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7};
    table.Set(Entry::VOLM, "007");
    Translation t = Long(masterVolume);
    EXPECT_EQ(t.out, (Bytes{0xB0, 0x07, 0x64, 0x00}));
    EXPECT_EQ(t.outLength, 4);
    // B0 27 is the master fader only on channel 1, and always answers on channel 1.
    EXPECT_EQ(Short({0xB0, 0x27, 0x50}).out, (Bytes{0xB0, 0x07, 0x50}));
    EXPECT_EQ(Short({0xB3, 0x27, 0x50}).out, (Bytes{0xB3, 0x27, 0x50}));

    table.Set(Entry::VOLM, "***");
    t = Long(masterVolume);
    EXPECT_EQ(t.out, masterVolume);
    EXPECT_EQ(t.matchedSteps, 1);

    // A set output channel moves the control change made from the System Exclusive form.
    table.Set(Entry::VOLM, "007");
    table.Set(Entry::CHANEL, "004");
    EXPECT_EQ(Long(masterVolume).out, (Bytes{0xB3, 0x07, 0x64, 0x00}));
}

TEST_F(ControlsTest, ButtonsAndSystemMessages) {
    EXPECT_EQ(Short({0xFC}).out, (Bytes{0xB0, 118, 0x7F}));
    EXPECT_EQ(Short({0xFA}).out, (Bytes{0xB0, 119, 0x7F}));
    table.Set(Entry::STOP, "***");
    EXPECT_EQ(Short({0xFC}).out, (Bytes{0xFC}));

    table.Set(Entry::KNOB08, "###");
    EXPECT_TRUE(Short({0xF8}).Suppressed());
    table.Set(Entry::KNOB08, "***");
    Translation clock = Short({0xF8});
    EXPECT_EQ(clock.out, (Bytes{0xF8}));
    EXPECT_EQ(clock.matchedSteps, 1);

    table.Set(Entry::ACTIVE, "###");
    EXPECT_TRUE(Short({0xFE}).Suppressed());

    // Messages no control sends go out unchanged.
    for (const uint8_t status : {0xF1, 0xF3, 0xF6, 0xF9, 0xFB, 0xFF}) {
        EXPECT_EQ(Short({status, 0x01}).matchedSteps, 0) << int(status);
    }
}

TEST_F(ControlsTest, OffOrNoChangeControlsIgnoreOtherCodes) {
    // A controller number in KNOB08, GMON, XGON, GSON or ACTIVE means nothing to
    // them: the message is not recognised at all.
    table.Set(Entry::KNOB08, "007");
    EXPECT_EQ(Short({0xF8}).matchedSteps, 0);
    table.Set(Entry::ACTIVE, "000");
    EXPECT_EQ(Short({0xFE}).matchedSteps, 0);
    table.Set(Entry::GMON, "001");
    EXPECT_EQ(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}).matchedSteps, 0);
}

TEST_F(ControlsTest, SystemOnMessages) {
    const Bytes gm = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    const Bytes xg = {0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7};
    const Bytes gs = {0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7};
    for (const Bytes* m : {&gm, &xg, &gs}) {
        Translation t = Long(*m);
        EXPECT_EQ(t.out, *m);
        EXPECT_EQ(t.matchedSteps, 1);
    }
    table.Set(Entry::GMON, "###");
    table.Set(Entry::XGON, "###");
    table.Set(Entry::GSON, "###");
    for (const Bytes* m : {&gm, &xg, &gs}) EXPECT_TRUE(Long(*m).Suppressed());

    // A bulk dump matches no pattern.
    EXPECT_EQ(Long({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}).matchedSteps, 0);
}

TEST_F(ControlsTest, PatternsIncludeTheZerosAfterAShorterMessage) {
    table.Set(Entry::GMON, "###");
    // GM on cut before its F7: byte 5 reads as 0, so it does not match, even when
    // the caller left an F7 beyond the given length.
    EXPECT_EQ(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01}).matchedSteps, 0);
    EXPECT_EQ(Run({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 5).matchedSteps, 0);
    // A longer message starting with the whole pattern matches.
    EXPECT_TRUE(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0x12}).Suppressed());

    // The master volume form stops after its sixth byte: the value is the zero after it.
    table.Set(Entry::VOLM, "007");
    EXPECT_EQ(Long({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F}).out, (Bytes{0xB0, 0x07, 0x00, 0x00}));
    // F2 with one byte given reads as F2 00 00: return to zero.
    EXPECT_EQ(Run({0xF2}, 1).out, (Bytes{0xB0, 115, 0x7F, 0x00}));
}

TEST_F(ControlsTest, LongestSystemExclusiveIsPassedWhole) {
    Bytes big(kMessageBufferSize, 0x11);
    const Bytes head = {0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x40};
    std::copy(head.begin(), head.end(), big.begin());
    big.back() = 0xF7;
    Translation t = Long(big);
    EXPECT_EQ(t.outLength, kMessageBufferSize);
    EXPECT_EQ(t.out, big);
}

// Codes that no list offers (a hand-edited configuration file) pass the message on
// unchanged instead of sending a malformed one.
TEST_F(ControlsTest, CodesNoListOffersPassTheMessage) {
    for (const char* code : {"128", "999", "abc", "7x", "-12", " 12"}) {
        SCOPED_TRACE(code);
        table.Set(Entry::KNOB01, code);
        EXPECT_EQ(Short({0xB0, 0x4A, 0x33}).out, (Bytes{0xB0, 0x4A, 0x33}));
        table.SetNote(60, code);
        EXPECT_EQ(Short({0x90, 60, 0x33}).out, (Bytes{0x90, 60, 0x33}));
        EXPECT_EQ(Short({0x80, 60, 0x33}).out, (Bytes{0x80, 60, 0x33}));
    }
    table.Set(Entry::KNOB01, "127");
    EXPECT_EQ(Short({0xB0, 0x4A, 0x33}).out, (Bytes{0xB0, 0x7F, 0x33}));
}

using NotesAndCurvesTest = EngineTest;

TEST_F(NotesAndCurvesTest, NoteMapOnChannelOne) {
    Translation t = Short({0x90, 0x3C, 0x64});
    EXPECT_EQ(t.out, (Bytes{0x90, 0x3C, 0x64}));
    EXPECT_EQ(t.matchedSteps, 3);

    table.SetNote(60, "064");
    EXPECT_EQ(Short({0x90, 0x3C, 0x64}).out, (Bytes{0xB0, 0x40, 0x7F}));
    // Velocity 0 still counts as a note on; the value is always 127.
    EXPECT_EQ(Short({0x90, 0x3C, 0x00}).out, (Bytes{0xB0, 0x40, 0x7F}));
    EXPECT_TRUE(Short({0x80, 0x3C, 0x40}).Suppressed());
    // Other notes are not touched.
    EXPECT_EQ(Short({0x90, 0x3D, 0x64}).out, (Bytes{0x90, 0x3D, 0x64}));

    table.SetNote(60, "###");
    EXPECT_TRUE(Short({0x90, 0x3C, 0x64}).Suppressed());
    EXPECT_TRUE(Short({0x80, 0x3C, 0x40}).Suppressed());

    // The control change made from a note is moved by the output channel.
    table.SetNote(61, "001");
    table.Set(Entry::CHANEL, "016");
    EXPECT_EQ(Short({0x90, 0x3D, 0x64}).out, (Bytes{0xBF, 0x01, 0x7F}));
}

TEST_F(NotesAndCurvesTest, NotesOnOtherChannelsOnlyMoveChannel) {
    table.SetNote(60, "###");
    curves.Of(CurveKind::Velocity).SetAll(WorkedExampleCurve());
    Translation t = Short({0x91, 0x3C, 0x64});
    EXPECT_EQ(t.out, (Bytes{0x91, 0x3C, 0x64}));
    EXPECT_EQ(t.matchedSteps, 1);
    table.Set(Entry::CHANEL, "001");
    EXPECT_EQ(Short({0x81, 0x3C, 0x64}).out, (Bytes{0x80, 0x3C, 0x64}));
}

TEST_F(NotesAndCurvesTest, VelocityCurveReshapesChannelOneNotes) {
    curves.Of(CurveKind::Velocity).SetAll(WorkedExampleCurve());
    EXPECT_EQ(Short({0x90, 0x3C, 50}).out, (Bytes{0x90, 0x3C, 77}));
    EXPECT_EQ(Short({0x80, 0x3C, 10}).out, (Bytes{0x80, 0x3C, 20}));
    EXPECT_EQ(Short({0x90, 0x3C, 0}).out, (Bytes{0x90, 0x3C, 0}));
    EXPECT_EQ(Short({0x90, 0x3C, 127}).out, (Bytes{0x90, 0x3C, 127}));
    // The touch curve is a different curve.
    EXPECT_EQ(Short({0xD0, 50}).out, (Bytes{0xD0, 50}));
}

TEST_F(NotesAndCurvesTest, TouchCurveOnEveryChannel) {
    EXPECT_EQ(Short({0xD0, 0x7F}).out, (Bytes{0xD0, 0x7F}));
    EXPECT_EQ(Short({0xD0, 0x00}).out, (Bytes{0xD0, 0x00}));
    curves.Of(CurveKind::Touch).SetAll(WorkedExampleCurve());
    EXPECT_EQ(Short({0xD0, 0x7F}).out, (Bytes{0xD0, 0x7F}));
    EXPECT_EQ(Short({0xD0, 0x00}).out, (Bytes{0xD0, 0x00}));
    Translation t = Short({0xD9, 100});
    EXPECT_EQ(t.out, (Bytes{0xD9, 113}));
    EXPECT_EQ(t.matchedSteps, 2);
    // Polyphonic key pressure is not channel pressure.
    EXPECT_EQ(Short({0xA0, 0x3C, 100}).out, (Bytes{0xA0, 0x3C, 100}));
}

using ChannelTest = EngineTest;

TEST_F(ChannelTest, SetChannelMovesEveryChannelMessage) {
    table.Set(Entry::CHANEL, "002");
    EXPECT_EQ(Short({0xC0, 0x05}).out, (Bytes{0xC1, 0x05}));
    EXPECT_EQ(Short({0xAF, 0x3C, 0x10}).out, (Bytes{0xA1, 0x3C, 0x10}));
    EXPECT_EQ(Short({0xB7, 0x55, 0x10}).out, (Bytes{0xB1, 0x55, 0x10}));
    EXPECT_EQ(Short({0xEE, 0x00, 0x40}).out, (Bytes{0xE1, 0x00, 0x40}));
    // System messages keep their status.
    EXPECT_EQ(Short({0xF8}).out, (Bytes{0xF8}));
    EXPECT_EQ(Short({0xF6}).matchedSteps, 0);
}

TEST_F(ChannelTest, ChannelMessagesAreAlwaysCountedAsChanged) {
    Translation t = Short({0xC3, 0x05});
    EXPECT_EQ(t.matchedSteps, 1);
    EXPECT_EQ(t.out, (Bytes{0xC3, 0x05}));
}

// A CHANEL code outside 001..016 (only a configuration file can hold one) leaves
// the channel as it is instead of turning the status into a system message.
TEST_F(ChannelTest, ChannelCodeOutsideOneToSixteenLeavesChannel) {
    for (const char* code : {"000", "017", "099", "127", "200", "###", "abc"}) {
        SCOPED_TRACE(code);
        table.Set(Entry::CHANEL, code);
        Translation t = Short({0xC4, 0x05});
        EXPECT_EQ(t.out, (Bytes{0xC4, 0x05}));
        EXPECT_EQ(t.matchedSteps, 1);
    }
    table.Set(Entry::CHANEL, "016");
    EXPECT_EQ(Short({0xC4, 0x05}).out, (Bytes{0xCF, 0x05}));
}

TEST_F(ChannelTest, SuppressedStaysSuppressedThroughLaterSteps) {
    table.Set(Entry::CHANEL, "005");
    table.Set(Entry::KNOB01, "###");
    Translation t = Short({0xB2, 0x4A, 0x40});
    EXPECT_EQ(t.outLength, 0);
    EXPECT_EQ(t.matchedSteps, 2);  // the knob, then the channel step

    curves.Of(CurveKind::Velocity).SetAll(WorkedExampleCurve());
    table.SetNote(60, "064");
    t = Short({0x80, 0x3C, 0x40});
    EXPECT_EQ(t.outLength, 0);
    EXPECT_EQ(t.matchedSteps, 3);  // note map, velocity curve, channel
}

}  // namespace
}  // namespace ostrel::test
