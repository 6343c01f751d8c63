// The input callback's forwarding, monitor entries and receive hook, driven
// through the in-process fake MIDI system.
#include "midi/pass_through.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#include "core/short_message.h"
#include "midi/monitor_line.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;
using Sent = Bytes;

Sent Short(Bytes b) { return b; }
Sent Long(Bytes b) { return b; }

// The monitor line without its 17 characters of time.
std::string LineText(const MonitorEvent& event) { return FormatMonitorLine(event).substr(17); }

class PassThroughTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr));
        passThrough.SetMonitorLogging(true);
        passThrough.Start();
    }
    void Deliver(const Bytes& message) { ASSERT_TRUE(midi.Deliver(message)); }
    std::vector<MonitorEvent> Events() {
        std::vector<MonitorEvent> events;
        MonitorEvent event;
        while (passThrough.PopEvent(event)) events.push_back(event);
        return events;
    }
    std::vector<std::string> Lines() {
        std::vector<std::string> lines;
        for (const MonitorEvent& e : Events())
            if (e.kind != MonitorEvent::Kind::ReceivedDump) lines.push_back(LineText(e));
        return lines;
    }

    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi;
    PassThrough passThrough{table, curves, midi};
};

TEST_F(PassThroughTest, AMonitorEntryTellsTheLocalTimeAtWhichItsCycleBegan) {
    for (const int secondsAgo : {0, 5, 3600}) {
        midi.SetClock(1'000'000, 1'000'000 + secondsAgo * uint64_t{1'000'000});
        Deliver({0xF8});
        const std::time_t now = std::time(nullptr);
        const std::vector<MonitorEvent> events = Events();
        ASSERT_EQ(events.size(), 1u);
        EXPECT_NEAR(double(events[0].time), double(now - secondsAgo), 1.0) << secondsAgo;
    }
}

TEST_F(PassThroughTest, StoppedIgnoresEverything) {
    passThrough.SetState(PassThroughState::Stopped);
    passThrough.SetReceiveHook(true);
    table.Set(Entry::KNOB01, "007");
    Deliver({0xB0, 0x4A, 0x40});
    Deliver({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7});
    EXPECT_TRUE(midi.Sent().empty());
    EXPECT_TRUE(Events().empty());
}

TEST_F(PassThroughTest, ShortMessagesAreTranslatedSentAndShown) {
    table.Set(Entry::KNOB01, "007");
    table.Set(Entry::KNOB08, "***");
    Deliver({0xB0, 0x4A, 0x40});  // knob 1 → control change 7
    Deliver({0xF8});              // timing clock passes as one byte
    Deliver({0xC3, 0x05});        // program change: two bytes out
    table.Set(Entry::KNOB01, "###");
    Deliver({0xB0, 0x4A, 0x41});  // suppressed

    EXPECT_EQ(midi.Sent(),
              (std::vector<Sent>{Short({0xB0, 0x07, 0x40}), Short({0xF8}), Short({0xC3, 0x05})}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "    B0 4A 40       =>   B0 07 40       \n",
                           "    F8 00 00       =>   F8 00 00       \n",
                           "    C3 05 00       =>   C3 05 00       \n",
                           "    B0 4A 41       =>   00 00 00       \n",
                       }));
}

// What the monitor says of events that are not one whole message, and of the
// ends of notes that the ledger decided.
TEST_F(PassThroughTest, EventsThatAreNotOneWholeMessageAndLedgerEndsAreSaidAsTheyWent) {
    const struct {
        const char* what;
        Bytes event;
        std::vector<Sent> sent;
        std::vector<std::string> lines;  // explained
    } cases[] = {
        {"a program change cut short: no program is made up",
         {0xC0},
         {},
         {"    C0 -- --       => Incomplete, not sent \n"}},
        {"a note-on cut short",
         {0x90, 0x3C},
         {},
         {"    90 3C --       => Incomplete, not sent \n"}},
        {"two messages in one event, each forwarded",
         {0x90, 0x3E, 0x64, 0x80, 0x3E, 0x00},
         {Short({0x94, 0x3E, 0x64}), Short({0x84, 0x3E, 0x00})},
         {"    90 3E 64       =>   94 3E 64 [NOTE 3E ***] [CHANEL 005]\n",
          "    80 3E 00       =>   84 3E 00 [HELD 005]\n"}},
        {"a note held",
         {0x90, 0x30, 0x40},
         {Short({0x94, 0x30, 0x40})},
         {"    90 30 40       =>   94 30 40 [NOTE 30 ***] [CHANEL 005]\n"}},
        {"a pedal pressed while its box is off",
         {0xB0, 0x40, 0x7F},
         {},
         {"    B0 40 7F       =>   00 00 00 [SUSTAIN ###]\n"}},
        {"its release, off with it: the ledger decides",
         {0xB0, 0x40, 0x00},
         {},
         {"    B0 40 00       =>   00 00 00 [HELD ###]\n"}},
    };
    table.Set(Entry::CHANEL, "005");
    table.Set(Entry::SUSTAIN, "###");
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        midi.ClearSent();
        Deliver(c.event);
        EXPECT_EQ(midi.Sent(), c.sent);
        std::vector<std::string> lines;
        for (const MonitorEvent& e : Events())
            lines.push_back(FormatMonitorLine(e, true).substr(17));
        EXPECT_EQ(lines, c.lines);
    }
    EXPECT_EQ(passThrough.DroppedIncomplete(), 2u);
    // A touch curve dragged while TOUCH still holds "***" is named as the curve.
    curves.Of(CurveKind::Touch).SetAll(CurvePoints{32, 200, 220, 40, 256, 256});
    Deliver({0xD0, 0x20});
    const std::vector<MonitorEvent> pressure = Events();
    ASSERT_EQ(pressure.size(), 1u);
    EXPECT_EQ(FormatMonitorLine(pressure[0], true).substr(17),
              "    D0 20 00       =>   D4 29 00 [touch curve] [CHANEL 005]\n");
    passThrough.Stop();  // releases note 30
    passThrough.Start();
    Events();
    Deliver({0x80, 0x30, 0x40});
    const std::vector<MonitorEvent> end = Events();
    ASSERT_EQ(end.size(), 1u);
    EXPECT_EQ(FormatMonitorLine(end[0], true).substr(17),
              "    80 30 40       =>   00 00 00 [RELEASED ###]\n");

    midi.SetCycleRoom(8);  // a port that carries 8 bytes at most
    Deliver({0xF0, 0x7D, 0x01, 0x02, 0x03, 0x04, 0x05, 0x06, 0xF7});
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "   f0 7d 01 02 03 04 05 06 f7     => Not Sent: larger than the "
                           "output port carries \r\n"}));
}

TEST_F(PassThroughTest, NoteMapAndOutputChannelApply) {
    table.SetNote(60, "064");
    table.Set(Entry::CHANEL, "010");
    Deliver({0x90, 0x3C, 0x64});  // note on → control change 64, value 127, channel 10
    Deliver({0x80, 0x3C, 0x40});  // matching note off suppressed
    Deliver({0x91, 0x3C, 0x64});  // channel 2: only moved to channel 10
    EXPECT_EQ(midi.Sent(),
              (std::vector<Sent>{Short({0xB9, 0x40, 0x7F}), Short({0x99, 0x3C, 0x64})}));
}

TEST_F(PassThroughTest, SystemExclusivePassedSuppressedOrTurnedIntoControlChange) {
    const Bytes gmOn = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    Deliver(gmOn);  // GMON "***"
    table.Set(Entry::GMON, "###");
    Deliver(gmOn);
    table.Set(Entry::VOLM, "007");
    Deliver({0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F, 0x64, 0xF7});  // master volume
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7};
    Deliver(dump);  // not recognised: unchanged

    EXPECT_EQ(midi.Sent(), (std::vector<Sent>{Long(gmOn), Short({0xB0, 0x07, 0x64}), Long(dump)}));
    EXPECT_EQ(Lines(), (std::vector<std::string>{
                           "   f0 7e 7f 09 01 f7 => :f0 7e 7f 09 01 f7 \n",
                           "   f0 7e 7f 09 01 f7 => :MASK \n",
                           "   f0 7f 7f 04 01 7f 64 f7 => :b0 07 64 00 \n",
                           "   f0 00 5a 52 4b 0b f7     => No Change \r\n",
                       }));
}

TEST_F(PassThroughTest, LongSystemExclusiveIsForwardedWhole) {
    Bytes message(1000);
    for (size_t i = 0; i < message.size(); ++i) message[i] = static_cast<uint8_t>(i % 0x80);
    message.front() = 0xF0;
    message.back() = 0xF7;
    Deliver(message);
    // Its first bytes match GM System On, which "***" passes: still sent whole.
    Bytes gmLike = message;
    const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    std::copy(std::begin(gmOn), std::end(gmOn), gmLike.begin());
    Deliver(gmLike);

    EXPECT_EQ(midi.Sent(), (std::vector<Sent>{Long(message), Long(gmLike)}));
    const std::vector<std::string> lines = Lines();
    ASSERT_EQ(lines.size(), 2u);
    // 3 blanks, 256 bytes of 3 characters, " ...", then the verdict.
    EXPECT_EQ(lines[0].size(), 3 + 256 * 3 + 4 + std::string("    => No Change \r\n").size());
    EXPECT_EQ(lines[0].substr(3 + 256 * 3), " ...    => No Change \r\n");
    EXPECT_EQ(lines[1].substr(3 + 256 * 3, 8), " ...=> :");
}

TEST_F(PassThroughTest, DumpsReachTheReceiveHookOnlyWhileItIsOn) {
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0x02, 0xAB, 0xF7};
    Deliver(dump);  // hook off: forwarded and shown only
    passThrough.SetReceiveHook(true);
    Deliver(dump);
    Deliver({0xF0, 0x00, 0x5A, 0x52, 0x4C, 0xF7});  // not the dump header
    passThrough.SetMonitorLogging(false);
    Deliver(dump);

    std::vector<MonitorEvent> dumps;
    for (const MonitorEvent& e : Events())
        if (e.kind == MonitorEvent::Kind::ReceivedDump) dumps.push_back(e);
    ASSERT_EQ(dumps.size(), 2u);
    EXPECT_EQ(FormatDumpText(dumps[0]), "F0 00 5A 52 4B 0B 02 AB F7 ");
    EXPECT_EQ(FormatMonitorLine(dumps[0]), "");
    EXPECT_EQ(midi.Sent().size(), 4u);  // every one forwarded unchanged
}

// A message ignored while stopped must not stop System Exclusive input later.
TEST_F(PassThroughTest, SystemExclusiveIgnoredWhileStoppedDoesNotBlockLaterInput) {
    const Bytes dump = {0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7};
    passThrough.Stop();
    Deliver(dump);
    passThrough.Start();
    Deliver(dump);
    EXPECT_EQ(midi.Sent(), (std::vector<Sent>{Long(dump)}));
}

TEST_F(PassThroughTest, AFullEventQueueCountsDropsAndForwardingAndDumpsGoOn) {
    PassThrough small(table, curves, midi, 4);
    midi.Close();
    ASSERT_TRUE(midi.Open("Ostrel", small.Processor(), nullptr));
    small.SetMonitorLogging(true);
    small.Start();
    for (int i = 0; i < 10; ++i) Deliver({0x90, 0x3C, static_cast<uint8_t>(i + 1)});
    EXPECT_EQ(midi.Sent().size(), 10u);
    EXPECT_EQ(small.DroppedEvents(), 6u);
    // A dump has a path of its own: a full monitor never loses it.
    small.SetReceiveHook(true);
    Deliver({0xF0, 0x00, 0x5A, 0x52, 0x4B, 0x0B, 0xF7});
    MonitorEvent event;
    ASSERT_TRUE(small.PopEvent(event));
    EXPECT_EQ(event.kind, MonitorEvent::Kind::ReceivedDump);
    int shown = 0;
    while (small.PopEvent(event)) EXPECT_EQ(event.in.bytes[2], ++shown);
    EXPECT_EQ(shown, 4);
}

TEST_F(PassThroughTest, WindowSendsGoOutAtTheNextCycleAndTooLargeOnesAreRefused) {
    const uint8_t sysex[] = {0xF0, 0x01, 0xF7};
    // The fake runs a cycle for it.
    ASSERT_EQ(passThrough.SendMessage(sysex, sizeof sysex), PassThrough::Sending::Queued);
    EXPECT_EQ(midi.Sent(), (std::vector<Sent>{Long({0xF0, 0x01, 0xF7})}));

    // Larger than a cycle of the output carries at all: refused when sent, or
    // not forwarded; never cut, counted.
    midi.ClearSent();
    midi.SetCycleRoom(100);
    ASSERT_TRUE(midi.RunCycle({}));
    Bytes big(101, 0x10);
    big.front() = 0xF0;
    big.back() = 0xF7;
    EXPECT_EQ(passThrough.SendMessage(big.data(), big.size()), PassThrough::Sending::TooLarge);
    ASSERT_TRUE(midi.Deliver(big));
    EXPECT_TRUE(midi.Sent().empty());
    EXPECT_EQ(passThrough.DroppedLarge(), 2u);
    EXPECT_EQ(passThrough.Lost(), 2u);
}

// The MIDI thread forwards while the window transmits System Exclusive and
// drains the monitor: no overlap on the port, nothing lost, order kept.
TEST_F(PassThroughTest, MidiThreadAndWindowWorkConcurrently) {
    constexpr int kMessages = 16000;  // numbered in two data bytes
    std::thread midiThread([&] {
        for (int i = 0; i < kMessages; ++i)
            midi.Deliver({0xB1, static_cast<uint8_t>(i & 0x7F), static_cast<uint8_t>(i >> 7)});
    });
    const uint8_t sysex[] = {0xF0, 0x7D, 0x01, 0xF7};
    int drained = 0;
    for (int i = 0; i < 200; ++i) {
        passThrough.SendMessage(sysex, sizeof sysex);
        MonitorEvent event;
        while (passThrough.PopEvent(event)) ++drained;
    }
    midiThread.join();
    MonitorEvent event;
    while (passThrough.PopEvent(event)) ++drained;

    EXPECT_EQ(drained + static_cast<int>(passThrough.DroppedEvents()), kMessages);
    int shorts = 0, longs = 0, previous = -1;
    for (const Sent& s : midi.Sent()) {
        if (s[0] == 0xF0) {
            ++longs;
            continue;
        }
        ASSERT_EQ(s[0], 0xB1);
        const int index = s[1] | (s[2] << 7);
        ASSERT_GT(index, previous) << "out of order";
        previous = index;
        ++shorts;
    }
    EXPECT_EQ(shorts + static_cast<int>(passThrough.DroppedSends()), kMessages);
    EXPECT_EQ(longs, 200);
}

// Takes what a cycle driven by hand writes.
class Recorder final : public MidiWriter {
  public:
    bool Write(const uint8_t* bytes, size_t length) override {
        sent.emplace_back(bytes, bytes + length);
        return true;
    }
    size_t Room() const override { return 1024; }
    std::vector<Sent> sent;
};

// The MIDI thread stalls inside a cycle: publishing a table, flushing and asking
// for a scene return within the longest wait, the stalled cycle translates
// wholly with the table it began with, and the next cycle takes the table and
// the cell edited meanwhile.
TEST(PassThroughStalled, WaitsAreBoundedAndTheStalledCycleKeepsItsTable) {
    AssignmentTable live, first;
    live.Set(Entry::KNOB01, "007");
    first.Set(Entry::KNOB01, "011");
    first.Set(Entry::KNOB02, "012");
    CurrentCurves curves;
    FakeMidiSystem midi;  // not open: only the test runs cycles
    PassThrough passThrough(live, curves, midi);
    passThrough.Start();
    MidiProcessor& cycle = passThrough.Processor();
    Recorder out;
    const uint8_t knob[] = {0xB0, 0x4A, 0x40}, knob2[] = {0xB0, 0x47, 0x40},
                  sysex[] = {0xF0, 0x01, 0xF7};

    cycle.BeginCycle(out);
    cycle.Event(knob, sizeof knob, out);
    ASSERT_EQ(passThrough.SendMessage(sysex, sizeof sysex), PassThrough::Sending::Queued);
    const auto start = std::chrono::steady_clock::now();
    passThrough.PublishTable(first);
    passThrough.TableForEdits().Set(Entry::KNOB01, "014");
    EXPECT_FALSE(passThrough.Flush());
    EXPECT_FALSE(passThrough.RequestScene(1));
    const auto took = std::chrono::steady_clock::now() - start;
    std::printf("[ stalled  ] publish, flush and scene request returned in %.0f ms\n",
                std::chrono::duration<double, std::milli>(took).count());
    EXPECT_LT(took, 4 * PassThrough::kLongestWait);
    cycle.Event(knob, sizeof knob, out);
    cycle.Event(knob2, sizeof knob2, out);
    cycle.EndCycle();

    cycle.BeginCycle(out);  // the queued message first, then the new table
    cycle.Event(knob, sizeof knob, out);
    cycle.Event(knob2, sizeof knob2, out);
    cycle.EndCycle();
    EXPECT_EQ(out.sent, (std::vector<Sent>{{0xB0, 0x07, 0x40},
                                           {0xB0, 0x07, 0x40},
                                           {0xB0, 0x47, 0x40},
                                           {0xF0, 0x01, 0xF7},
                                           {0xB0, 0x0E, 0x40},
                                           {0xB0, 0x0C, 0x40}}));
}

}  // namespace

}  // namespace ostrel
