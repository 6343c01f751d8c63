#include "midi/monitor_line.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

namespace ostrel {
namespace {

// 2005-03-14 09:26:53 in UTC; the tests format it in UTC.
constexpr std::time_t kTime = 1110792413;

class MonitorLineTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* tz = std::getenv("TZ");
        if (tz != nullptr) oldTz_ = tz;
        hadTz_ = tz != nullptr;
        setenv("TZ", "UTC", 1);
        tzset();
    }
    void TearDown() override {
        if (hadTz_)
            setenv("TZ", oldTz_.c_str(), 1);
        else
            unsetenv("TZ");
        tzset();
    }
    static MonitorEvent Long(std::initializer_list<uint8_t> in, int changed,
                             std::initializer_list<uint8_t> out) {
        MonitorEvent e;
        e.kind = MonitorEvent::Kind::LongMessage;
        e.time = kTime;
        e.receivedLength = static_cast<uint32_t>(in.size());
        std::copy(in.begin(), in.end(), e.received);
        e.matchedSteps = changed;
        e.outLength = static_cast<int>(out.size());
        std::copy(out.begin(), out.end(), e.sent);
        return e;
    }

  private:
    std::string oldTz_;
    bool hadTz_ = false;
};

TEST_F(MonitorLineTest, ShortMessageLines) {
    MonitorEvent e;
    e.kind = MonitorEvent::Kind::ShortMessage;
    e.time = kTime;
    e.in = MakeShort(0xB0, 0x4A, 0x40);   // knob 1 moved to 64
    e.out = MakeShort(0xB0, 0x07, 0x40);  // became control change 7
    EXPECT_EQ(FormatMonitorLine(e), "05-03-14 09:26:53    B0 4A 40       =>   B0 07 40       \n");
    e.out = {};  // suppressed
    EXPECT_EQ(FormatMonitorLine(e), "05-03-14 09:26:53    B0 4A 40       =>   00 00 00       \n");
}

// Lines appended many at a time are the lines made one at a time, for each
// kind, with and without the deciding entries; a release that Ostrel sent on
// its own shows that nothing was received.
TEST_F(MonitorLineTest, AppendedLinesAreTheFormattedLines) {
    MonitorEvent note;
    note.kind = MonitorEvent::Kind::ShortMessage;
    note.time = kTime;
    note.in = MakeShort(0x90, 0x3C, 0x64);
    note.out = MakeShort(0x91, 0x3C, 0x64);
    note.decision.changedBy = kByLedger;  // "[HELD 002]"
    note.decision.heldOn = 1;
    MonitorEvent released = note;
    released.kind = MonitorEvent::Kind::Released;
    EXPECT_EQ(FormatMonitorLine(released),
              "05-03-14 09:26:53    -- -- --       =>   91 3C 64       \n");
    MonitorEvent dump = Long({0xF0, 0x00, 0xF7}, 0, {});
    dump.kind = MonitorEvent::Kind::ReceivedDump;
    for (const MonitorEvent& e : {note, released, Long({0xF0, 0x01, 0xF7}, 0, {}), dump}) {
        for (bool explain : {false, true}) {
            std::string text = "earlier\n";
            EXPECT_EQ(AppendMonitorLine(text, e, explain),
                      e.kind != MonitorEvent::Kind::ReceivedDump);
            EXPECT_EQ(text, "earlier\n" + FormatMonitorLine(e, explain));
        }
    }
}

TEST_F(MonitorLineTest, LongMessageLines) {
    EXPECT_EQ(FormatMonitorLine(Long({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7}, 0, {})),
              "05-03-14 09:26:53   f0 00 5a 52 4b 0b f7     => No Change \r\n");
    EXPECT_EQ(FormatMonitorLine(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 1,
                                     {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7})),
              "05-03-14 09:26:53   f0 7e 7f 09 01 f7 => :f0 7e 7f 09 01 f7 \n");
    EXPECT_EQ(FormatMonitorLine(Long({0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 1, {})),
              "05-03-14 09:26:53   f0 7e 7f 09 01 f7 => :MASK \n");
    // Master volume replaced by a control change: shown in the engine's four bytes.
    EXPECT_EQ(FormatMonitorLine(
                  Long({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7}, 1, {0xB0, 0x07, 0x64})),
              "05-03-14 09:26:53   f0 7f 7f 04 01 7f 64 f7 => :b0 07 64 00 \n");
}

TEST_F(MonitorLineTest, LongerThan256BytesShowsTheFirst256AndAMark) {
    MonitorEvent e = Long({}, 0, {});
    e.receivedLength = 300;
    for (int i = 0; i < 256; ++i) e.received[i] = static_cast<uint8_t>(i);
    const std::string line = FormatMonitorLine(e);
    EXPECT_EQ(line.substr(0, 26), "05-03-14 09:26:53   00 01 ");
    EXPECT_EQ(line.substr(20 + 255 * 3), "ff  ...    => No Change \r\n");

    e.receivedLength = 256;  // exactly 256: no mark
    EXPECT_EQ(FormatMonitorLine(e).substr(20 + 255 * 3), "ff     => No Change \r\n");
}

// Each cause of loss in its own words and number; an incomplete message has
// its own line and adds none.
TEST_F(MonitorLineTest, LossLinesNameEachCause) {
    EXPECT_TRUE(LossLines({0, 0, 0, 5}, "the window").empty());
    EXPECT_EQ(LossLines({1, 2, 1, 0}, "the window"),
              (std::vector<std::string>{
                  "-- 1 entry not shown: it came faster than the window could take it --\n",
                  "-- 2 messages not sent: the output of their cycle was full --\n",
                  "-- 1 message not sent: larger than the output port carries --\n"}));
    EXPECT_EQ(LossLines({3, 1, 2, 0}, "the monitor"),
              (std::vector<std::string>{
                  "-- 3 entries not shown: they came faster than the monitor could take them --\n",
                  "-- 1 message not sent: the output of its cycle was full --\n",
                  "-- 2 messages not sent: larger than the output port carries --\n"}));
}

TEST_F(MonitorLineTest, DumpTextIsUpperCaseWithABlankAfterEveryByte) {
    MonitorEvent e = Long({0xF0, 0x00, 0x5a, 0x52, 0x4b, 0x90, 0xF7}, 0, {});
    e.kind = MonitorEvent::Kind::ReceivedDump;
    EXPECT_EQ(FormatDumpText(e), "F0 00 5A 52 4B 90 F7 ");
    EXPECT_EQ(FormatMonitorLine(e), "");
}

}  // namespace
}  // namespace ostrel
