// No stuck notes: the end of every note and pedal goes where its start went,
// whatever the table says by then, and Stop releases what is held. Driven
// through the pass-through over the in-process fake MIDI system.
#include <gtest/gtest.h>

#include <functional>

#include "core/short_message.h"
#include "midi/pass_through.h"
#include "support/fake_midi_system.h"

namespace ostrel {
namespace {

using Bytes = std::vector<uint8_t>;
using Messages = std::vector<Bytes>;

class NoteLedgerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(midi.Open("Ostrel", passThrough.Processor(), nullptr));
        passThrough.Start();
    }
    Messages Play(const Messages& messages) {
        midi.ClearSent();
        for (const Bytes& m : messages) EXPECT_TRUE(midi.Deliver(m));
        return midi.Sent();
    }
    void Publish(const std::function<void(AssignmentTable&)>& edit) {
        AssignmentTable staged;
        edit(staged);
        passThrough.PublishTable(staged);
    }

    AssignmentTable table;
    CurrentCurves curves;
    FakeMidiSystem midi;
    PassThrough passThrough{table, curves, midi};
};

// A key held while its box or the Channel box changes: the end still goes
// where the note went.
TEST_F(NoteLedgerTest, TheEndOfAHeldNoteGoesWhereItsStartWent) {
    struct Case {
        const char* what;
        std::function<void(AssignmentTable&)> change;
        Bytes noteOff;
        Bytes expected;
        size_t afterwards;  // what the table makes of the key's next note-off
    };
    const Case cases[] = {
        {"note box to ###",
         [](AssignmentTable& t) { t.SetNote(60, "###"); },
         {0x80, 0x3C, 0x40},
         {0x80, 0x3C, 0x40},
         0},
        {"note box to a controller",
         [](AssignmentTable& t) { t.SetNote(60, "064"); },
         {0x80, 0x3C, 0x40},
         {0x80, 0x3C, 0x40},
         0},
        {"Channel box to 5",
         [](AssignmentTable& t) { t.Set(Entry::CHANEL, "005"); },
         {0x80, 0x3C, 0x40},
         {0x80, 0x3C, 0x40},
         1},
        {"note-on with velocity 0",
         [](AssignmentTable& t) { t.Set(Entry::CHANEL, "009"); },
         {0x90, 0x3C, 0x00},
         {0x90, 0x3C, 0x00},
         1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        passThrough.PublishTable(AssignmentTable{});
        EXPECT_EQ(Play({{0x90, 0x3C, 0x64}}), (Messages{{0x90, 0x3C, 0x64}}));
        Publish(c.change);
        EXPECT_EQ(Play({c.noteOff}), (Messages{c.expected}));
        // Released: the next note-off of that key follows the table again.
        EXPECT_EQ(Play({c.noteOff}).size(), c.afterwards) << "the next note-off";
    }
}

TEST_F(NoteLedgerTest, KeysOnTwoChannelsAndTwoTableChangesEachEndOnce) {
    table.Set(Entry::CHANEL, "003");
    EXPECT_EQ(Play({{0x90, 0x40, 0x50}, {0x91, 0x40, 0x51}}),
              (Messages{{0x92, 0x40, 0x50}, {0x92, 0x40, 0x51}}));
    Publish([](AssignmentTable& t) { t.Set(Entry::CHANEL, "007"); });
    Publish([](AssignmentTable& t) { t.SetNote(0x40, "###"); });
    EXPECT_EQ(Play({{0x81, 0x40, 0x10}, {0x80, 0x40, 0x11}}),
              (Messages{{0x82, 0x40, 0x10}, {0x82, 0x40, 0x11}}));
    EXPECT_TRUE(Play({{0x80, 0x40, 0x11}}).empty());  // the table suppresses it now
}

TEST_F(NoteLedgerTest, APlayedNoteOnNeverLeavesWithVelocityZero) {
    // A curve through (0,0) and points that send soft notes to 0.
    curves.Of(CurveKind::Velocity).SetAll(CurvePoints{50, 100, 75, 50, 100, 100});
    ASSERT_EQ(curves.MapValue(CurveKind::Velocity, 1), 0);
    EXPECT_EQ(Play({{0x90, 0x3C, 0x01}}), (Messages{{0x90, 0x3C, 0x01}}));
}

TEST_F(NoteLedgerTest, StopReleasesNotesAndPedalWhereTheyWentAndLaterEndsAreSuppressed) {
    table.Set(Entry::CHANEL, "002");
    passThrough.SetMonitorLogging(true);
    Play({{0x90, 0x30, 0x40}, {0x90, 0x34, 0x40}, {0xB0, 0x40, 0x7F}});
    table.Set(Entry::CHANEL, "016");
    midi.ClearSent();
    passThrough.Stop();  // the fake runs the cycle that releases
    EXPECT_EQ(midi.Sent(), (Messages{{0x81, 0x30, 0x40}, {0x81, 0x34, 0x40}, {0xB1, 0x40, 0x00}}));
    MonitorEvent event;
    int released = 0;
    while (passThrough.PopEvent(event)) released += event.kind == MonitorEvent::Kind::Released;
    EXPECT_EQ(released, 3);

    passThrough.Start();
    EXPECT_TRUE(Play({{0x80, 0x30, 0x40}, {0xB0, 0x40, 0x00}}).empty());
    // A key whose box sends the sustain controller holds the sustain like the pedal.
    table.SetNote(0x3C, "064");
    EXPECT_EQ(Play({{0x90, 0x3C, 0x64}}), (Messages{{0xBF, 0x40, 0x7F}}));
    midi.ClearSent();
    passThrough.Stop();
    EXPECT_EQ(midi.Sent(), (Messages{{0xBF, 0x40, 0x00}}));
    passThrough.Start();
    table.SetNote(0x3C, "***");
    // The pedal's end is the table's again, and a held pedal ends where it went.
    EXPECT_EQ(Play({{0xB0, 0x40, 0x7F}}), (Messages{{0xBF, 0x40, 0x7F}}));
    Publish([](AssignmentTable& t) { t.Set(Entry::SUSTAIN, "###"); });
    EXPECT_EQ(Play({{0xB0, 0x40, 0x00}}), (Messages{{0xBF, 0x40, 0x00}}));
}

// What the graph does to Ostrel's ports while a note (channel 2 by the table)
// and the pedal are held, then what the key's own note-off does once the wire
// is back and the Channel box says 16: where a release reached a listener, the
// note-off is not sent again; where it reached nobody, or the synth that held
// the note may return, it goes out by the table.
TEST_F(NoteLedgerTest, TheGraphDecidesWhatIsReleasedAndWhatIsForgotten) {
    struct Case {
        const char* what;
        std::function<void()> happen;
        Messages released;
        Messages keyEnd;
    };
    const Messages releases = {{0x81, 0x30, 0x40}, {0xB1, 0x40, 0x00}};
    const Case cases[] = {
        {"the keyboard goes away: released where they went",
         [this] { midi.SetOtherLinks(PortDirection::Input, 0); },
         releases,
         {}},
        {"the wire to the synth is pulled: forgotten, and Stop sends nothing",
         [this] {
             midi.SetOtherLinks(PortDirection::Output, 0);
             passThrough.Stop();
             passThrough.Start();
         },
         {},
         {{0x8F, 0x30, 0x40}}},
        {"the synth goes while the output goes elsewhere: released there, then forgotten",
         [this] { passThrough.ReleaseAndForgetHeld(); },
         releases,
         {{0x8F, 0x30, 0x40}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        midi.SetOtherLinks(PortDirection::Input, 1);
        midi.SetOtherLinks(PortDirection::Output, 1);
        table.Set(Entry::CHANEL, "002");
        Play({{0x90, 0x30, 0x40}, {0xB0, 0x40, 0x7F}});
        midi.ClearSent();
        c.happen();
        ASSERT_TRUE(midi.Deliver({0xF8}));  // one more cycle
        Messages released = midi.Sent();
        released.pop_back();  // the clock
        EXPECT_EQ(released, c.released);
        midi.SetOtherLinks(PortDirection::Input, 1);
        midi.SetOtherLinks(PortDirection::Output, 1);
        table.Set(Entry::CHANEL, "016");
        EXPECT_EQ(Play({{0x80, 0x30, 0x40}}), c.keyEnd);
        passThrough.ReleaseHeld();  // the pedal, where it is still held
    }
}

// A pedal's gesture goes on and ends where it began, whatever the table says
// between: sostenuto and soft as sustain, a press suppressed (the sustain
// pedal and a key struck again are tried over JACK, in the end-to-end chain).
TEST_F(NoteLedgerTest, EveryGestureEndsWhereItBegan) {
    struct Case {
        const char* what;
        const char* before;  // the Channel box, then the Sustain box when given
        Messages start, startSent;
        const char* after;
        Messages rest, restSent;
    };
    const Case cases[] = {
        {"the sostenuto and soft pedals",
         "003",
         {{0xB0, 0x42, 0x7F}, {0xB0, 0x43, 0x7F}},
         {{0xB2, 0x42, 0x7F}, {0xB2, 0x43, 0x7F}},
         "004",
         {{0xB0, 0x42, 0x50}, {0xB0, 0x43, 0x00}, {0xB0, 0x42, 0x00}},
         {{0xB2, 0x42, 0x50}, {0xB2, 0x43, 0x00}, {0xB2, 0x42, 0x00}}},
        {"a half pedal at 64 is down, at 63 let go",
         "003",
         {{0xB0, 0x40, 0x40}},
         {{0xB2, 0x40, 0x40}},
         "004",
         {{0xB0, 0x40, 0x40}, {0xB0, 0x40, 0x3F}, {0xB0, 0x40, 0x3F}},
         {{0xB2, 0x40, 0x40}, {0xB2, 0x40, 0x3F}, {0xB3, 0x40, 0x3F}}},
        {"a pedal pressed while its box suppressed it",
         "001###",
         {{0xB0, 0x40, 0x7F}},
         {},
         "001",
         {{0xB0, 0x40, 0x64}, {0xB0, 0x40, 0x00}, {0xB0, 0x40, 0x7F}, {0xB0, 0x40, 0x00}},
         {{0xB0, 0x40, 0x7F}, {0xB0, 0x40, 0x00}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const auto use = [this](const std::string& codes) {
            Publish([&](AssignmentTable& t) {
                t.Set(Entry::CHANEL, codes.substr(0, 3).c_str());
                if (codes.size() > 3) t.Set(Entry::SUSTAIN, codes.substr(3).c_str());
            });
        };
        use(c.before);
        EXPECT_EQ(Play(c.start), c.startSent);
        use(c.after);
        EXPECT_EQ(Play(c.rest), c.restSent);
        passThrough.ReleaseHeld();
        midi.ClearSent();
        ASSERT_TRUE(midi.Deliver({0xF8}));
        EXPECT_EQ(midi.Sent(), (Messages{{0xF8}})) << "nothing left to release";
    }
}

TEST_F(NoteLedgerTest, AFullLedgerIsReleasedOverAsManyCyclesAsItNeeds) {
    Messages notes;
    for (int ch = 0; ch < 16; ++ch)
        for (int note = 0; note < 128; ++note)
            notes.push_back({static_cast<uint8_t>(0x90 | ch), static_cast<uint8_t>(note), 0x40});
    ASSERT_EQ(Play(notes).size(), 2048u);
    midi.ClearSent();
    midi.SetCycleRoom(3 * 100);  // 100 note-offs a cycle
    passThrough.ReleaseHeld();
    ASSERT_TRUE(passThrough.Flush());
    const Messages offs = midi.Sent();
    ASSERT_EQ(offs.size(), 2048u);
    EXPECT_EQ(offs.front(), (Bytes{0x80, 0x00, 0x40}));
    EXPECT_EQ(offs.back(), (Bytes{0x8F, 0x7F, 0x40}));
}

}  // namespace
}  // namespace ostrel
