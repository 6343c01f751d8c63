// Song position and record buttons: the engine remembers the last position it
// turned into a control change, and swallows the song position that the keyboard
// sends right after a record strobe.
#include <gtest/gtest.h>

#include "tests/core/engine_harness.h"

namespace ostrel::test {
namespace {

using TransportTest = EngineTest;

const Bytes kRecordStrobe = {0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7};
const Bytes kRecordExit = {0xF0, 0x7F, 0x00, 0x06, 0x07, 0xF7};
const Bytes kRtzOut = {0xB0, 115, 0x7F};
const Bytes kRewOut = {0xB0, 116, 0x7F};
const Bytes kFfOut = {0xB0, 117, 0x7F};

TEST_F(TransportTest, ReturnToZeroThenForwardThenBack) {
    EXPECT_EQ(Short({0xF2, 0x00, 0x00}).out, kRtzOut);
    EXPECT_EQ(Short({0xF2, 0x10, 0x00}).out, kFfOut);
    EXPECT_EQ(engine.LastSongPosition(), 0x10);
    EXPECT_EQ(Short({0xF2, 0x08, 0x00}).out, kRewOut);
    EXPECT_EQ(engine.LastSongPosition(), 0x08);
    // The same position again is not "less than": forward.
    EXPECT_EQ(Short({0xF2, 0x08, 0x00}).out, kFfOut);
}

TEST_F(TransportTest, PositionKeyIsSecondDataByteHigh) {
    EXPECT_EQ(Short({0xF2, 0x7F, 0x00}).out, kFfOut);  // 127
    EXPECT_EQ(Short({0xF2, 0x00, 0x01}).out, kFfOut);  // 256, later
    EXPECT_EQ(engine.LastSongPosition(), 256);
    EXPECT_EQ(Short({0xF2, 0x7F, 0x00}).out, kRewOut);  // 127, earlier
}

TEST_F(TransportTest, PositionIsRememberedOnlyWhenReplaced) {
    table.Set(Entry::FF, "***");
    EXPECT_EQ(Short({0xF2, 0x10, 0x00}).out, (Bytes{0xF2, 0x10, 0x00}));
    EXPECT_EQ(engine.LastSongPosition(), 0);
    // Still counted from 0, so 8 is forward again.
    EXPECT_EQ(Short({0xF2, 0x08, 0x00}).matchedSteps, 1);
    EXPECT_EQ(engine.LastSongPosition(), 0);

    table.Set(Entry::FF, "117");
    table.Set(Entry::REW, "###");
    EXPECT_EQ(Short({0xF2, 0x20, 0x00}).out, kFfOut);
    EXPECT_TRUE(Short({0xF2, 0x10, 0x00}).Suppressed());
    EXPECT_EQ(engine.LastSongPosition(), 0x20);
}

TEST_F(TransportTest, ReturnToZeroResetsPositionWhateverItsCode) {
    EXPECT_EQ(Short({0xF2, 0x40, 0x00}).out, kFfOut);
    table.Set(Entry::RTZ, "***");
    EXPECT_EQ(Short({0xF2, 0x00, 0x00}).out, (Bytes{0xF2, 0x00, 0x00}));
    EXPECT_EQ(engine.LastSongPosition(), 0);
    EXPECT_EQ(Short({0xF2, 0x08, 0x00}).out, kFfOut);
}

TEST_F(TransportTest, RecordSwallowsTheNextSongPositionOnly) {
    EXPECT_EQ(Long(kRecordStrobe).out, (Bytes{0xB0, 114, 0x7F, 0x00}));
    EXPECT_TRUE(engine.RecPending());
    table.Set(Entry::RTZ, "***");  // swallowed whatever RTZ holds
    EXPECT_TRUE(Short({0xF2, 0x00, 0x00}).Suppressed());
    EXPECT_FALSE(engine.RecPending());
    EXPECT_EQ(Short({0xF2, 0x00, 0x00}).out, (Bytes{0xF2, 0x00, 0x00}));
}

TEST_F(TransportTest, RecordExitAlsoSwallowsAMovedPosition) {
    EXPECT_EQ(Short({0xF2, 0x30, 0x00}).out, kFfOut);
    EXPECT_EQ(Long(kRecordExit).out, (Bytes{0xB0, 114, 0x7F, 0x00}));
    EXPECT_TRUE(Short({0xF2, 0x10, 0x00}).Suppressed());
    // The swallowed position was not remembered: 0x10 is still before 0x30.
    EXPECT_EQ(engine.LastSongPosition(), 0x30);
    EXPECT_EQ(Short({0xF2, 0x10, 0x00}).out, kRewOut);
}

TEST_F(TransportTest, RecordIsPendingEvenWhenItsMessageIsSuppressedOrPassed) {
    table.Set(Entry::REC, "###");
    EXPECT_TRUE(Long(kRecordStrobe).Suppressed());
    EXPECT_TRUE(engine.RecPending());
    // Other messages in between do not clear it.
    Short({0xF8});
    Short({0x90, 0x3C, 0x40});
    EXPECT_TRUE(Short({0xF2, 0x00, 0x00}).Suppressed());

    table.Set(Entry::REC, "***");
    EXPECT_EQ(Long(kRecordStrobe).out, kRecordStrobe);
    EXPECT_TRUE(engine.RecPending());
}

TEST_F(TransportTest, RecordPatternNeedsItsLastByte) {
    // Record strobe without F7: not the record button.
    EXPECT_EQ(Long({0xF0, 0x7F, 0x00, 0x06, 0x06}).matchedSteps, 0);
    EXPECT_FALSE(engine.RecPending());
    // Another device number is not the keyboard's.
    EXPECT_EQ(Long({0xF0, 0x7F, 0x01, 0x06, 0x06, 0xF7}).matchedSteps, 0);
    EXPECT_FALSE(engine.RecPending());
}

TEST_F(TransportTest, ButtonsSendTheirNumbersWithValue127) {
    table.Set(Entry::RTZ, "020");
    EXPECT_EQ(Short({0xF2, 0x00, 0x00}).out, (Bytes{0xB0, 20, 0x7F}));
    table.Set(Entry::CHANEL, "003");
    // Song position is a system message, but its control change moves to the output channel.
    EXPECT_EQ(Short({0xF2, 0x00, 0x00}).out, (Bytes{0xB2, 20, 0x7F}));
}

}  // namespace
}  // namespace ostrel::test
