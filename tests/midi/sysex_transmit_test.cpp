#include "midi/sysex_transmit.h"

#include <gtest/gtest.h>

#include <cstring>

#include "midi/pass_through.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;

class SysExTransmitTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr)); }
    TransmitResult Send(const std::string& text) {
        return TransmitSysEx(passThrough, text.c_str(), static_cast<int>(text.size()));
    }
    Bytes LastSent() const { return midi.Sent().empty() ? Bytes{} : midi.Sent().back(); }

    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi;
    PassThrough passThrough{table, curves, midi};
};

TEST_F(SysExTransmitTest, ValidTextsAreCutAfterTheLastF7AndSentWhole) {
    EXPECT_EQ(Send("F07E7F0901F7").sentLength, 6);
    EXPECT_EQ(LastSent(), (Bytes{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}));
    Send("F00102F703F7");  // the last F7 counts
    EXPECT_EQ(LastSent(), (Bytes{0xF0, 0x01, 0x02, 0xF7, 0x03, 0xF7}));
    Send("F00102F70304");  // bytes after the last F7 are dropped
    EXPECT_EQ(LastSent(), (Bytes{0xF0, 0x01, 0x02, 0xF7}));
    Send("f0zzf7");  // lower case is fine; a pair that is no hex number becomes FF
    EXPECT_EQ(LastSent(), (Bytes{0xF0, 0xFF, 0xF7}));
    EXPECT_EQ(midi.Sent().size(), 4u);
}

TEST_F(SysExTransmitTest, RefusedTextsSendNothingAndSayWhy) {
    struct Case {
        std::string text;
        TransmitOutcome outcome;
        const char* message;
        const char* caption;
    };
    const Case cases[] = {
        {"", TransmitOutcome::NoData, "No data will be send ! ", "DO Darivu v1.0 beta"},
        {"F001020", TransmitOutcome::NotF0, "Send Data Is Invalidate,First Data Must be F0 ! ",
         "Err "},
        {"7E01F7", TransmitOutcome::NotF0, "Send Data Is Invalidate,First Data Must be F0 ! ",
         "Err "},
        {"F00102", TransmitOutcome::NoF7, "Send Data Is Invalidate , No F7 ! ",
         "DO Darivu v1.0 beta"},
        // 257 characters do not fit the 256-character buffer.
        {"F0" + std::string(252, '0') + "F7" + "0", TransmitOutcome::TooLong,
         "Send Data Is Too Long: at most 256 hex digits (128 bytes) can be sent ! ",
         "DO Darivu v1.0 beta"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const TransmitResult result = Send(c.text);
        EXPECT_EQ(result.outcome, c.outcome);
        EXPECT_STREQ(result.text, c.message);
        EXPECT_STREQ(result.caption, c.caption);
    }
    EXPECT_EQ(TransmitSysEx(passThrough, "F0F7", -3).outcome, TransmitOutcome::NoData);
    EXPECT_TRUE(midi.Sent().empty());
}

TEST_F(SysExTransmitTest, AMessageTheOutputRefusesIsSaidToBeRefused) {
    midi.SetCycleRoom(5);
    ASSERT_TRUE(midi.RunCycle({}));  // the port's largest event is known from a cycle on
    const TransmitResult large = Send("F07E7F0901F7");
    EXPECT_EQ(large.outcome, TransmitOutcome::TooLargeForPort);
    EXPECT_STREQ(large.text, kTooLargeForPortText);
    midi.Close();  // no cycle takes what waits: the output's queue fills
    TransmitResult full;
    for (int i = 0; i < 100000 && full.outcome == TransmitOutcome::Sent; ++i) full = Send("F001F7");
    EXPECT_EQ(full.outcome, TransmitOutcome::OutputFull);
    EXPECT_STREQ(full.text, kOutputFullText);
    EXPECT_TRUE(midi.Sent().empty());
}

TEST_F(SysExTransmitTest, The256CharacterLimitIsInclusive) {
    const std::string longest = "F0" + std::string(252, '1') + "F7";  // 128 bytes
    ASSERT_EQ(longest.size(), 256u);
    EXPECT_EQ(Send(longest).sentLength, 128);
    EXPECT_EQ(LastSent().size(), 128u);
}

TEST_F(SysExTransmitTest, WithoutAMidiGraphNothingIsSentAndNothingReported) {
    midi.Close();
    const TransmitResult result = Send("F07E7F0901F7");
    EXPECT_EQ(result.outcome, TransmitOutcome::Sent);
    EXPECT_STREQ(result.text, "");
    EXPECT_TRUE(midi.Sent().empty());
}

TEST(SysExTransmit, TextIsReadOnlyUpToTheGivenCount) {
    uint8_t bytes[kTransmitBufferSize];
    const char text[] = "F001F7F002F7";
    const TransmitResult result = PrepareSysEx(text, 6, bytes);
    EXPECT_EQ(result.sentLength, 3);
    EXPECT_EQ(bytes[3], 0);  // nothing converted past the count
}

}  // namespace
}  // namespace ostrel
