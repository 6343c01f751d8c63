// A message through the pass-through lights the boxes of the entries that
// decided it, for a moment, and only while the window is on the screen.
#include "app/entry_highlight.h"

#include <QPalette>
#include <tuple>

#include "main_form_fixture.h"

namespace ostrel::test {
namespace {

// The highlight sees a pause between its looks at the activity, so to within
// one look: waiting one look longer, the pause is seen whole.
constexpr int kSeenPauseMs = StreamLight::kPauseMs + EntryHighlight::kPollMs;

class EntryHighlightTest : public MainFormTest {
  protected:
    void SetUp() override {
        StartForm();
        Button(res::kIdStart)->click();
    }

    // The ids of the boxes lit now.
    std::vector<int> Lit() const {
        std::vector<int> ids;
        for (const FormCombo& c : FormCombos())
            if (Combo(c.id)->palette().color(QPalette::Base) == EntryHighlight::LitColor())
                ids.push_back(c.id);
        return ids;
    }
    // Plays the messages and waits until a box lights; the boxes lit then.
    std::vector<int> LitBy(const std::vector<FakeMidiSystem::Bytes>& messages) {
        for (const auto& m : messages) midi->Deliver(m);
        std::vector<int> lit;
        (void)QTest::qWaitFor([&] { return !(lit = Lit()).empty(); }, 5000);
        return lit;
    }
    bool GoesDark() const {
        return QTest::qWaitFor([&] { return Lit().empty(); }, 5000);
    }
};

TEST_F(EntryHighlightTest, AKnobLightsItsBoxAloneAndTheLightGoesOut) {
    EXPECT_EQ(LitBy({{0xB0, 0x4A, 0x40}}), std::vector<int>{1046});
    EXPECT_TRUE(GoesDark());
}

TEST_F(EntryHighlightTest, EachMessageLightsTheBoxesOfItsEntries) {
    PickText(kIdKeyOctave, "C5");
    const struct {
        const char* channel;  // picked in the Channel box first
        std::vector<FakeMidiSystem::Bytes> played;
        std::vector<int> lit;
        bool afterPause = false;  // the box lit last time: a pause lets it light again
    } cases[] = {
        {"***", {{0x90, 48, 0x40}, {0xF8}}, {1083}},        // a note of octave 4 lights no key
        {"***", {{0x90, 60, 0x40}}, {1045}},                // C of octave 5
        {"***", {{0x80, 60, 0x40}}, {1045}, true},          // its end, sent where its start went
        {"***", {{0xB0, 0x40, 0x7F}}, {1054}},              // sustain pedal ...
        {"***", {{0xB0, 0x40, 0x00}}, {1054}, true},        // ... and its release
        {"002", {{0xB0, 0x27, 0x50}}, {1084, 1043, 1060}},  // both master boxes; moved
        {"002", {{0xB1, 0x0B, 0x10}}, {1053}},  // already on channel 2: Channel stays dark
    };
    for (const auto& c : cases) {
        if (c.afterPause) QTest::qWait(kSeenPauseMs);
        PickText(1060, c.channel);
        EXPECT_EQ(LitBy(c.played), c.lit) << c.channel;
        EXPECT_TRUE(GoesDark());
    }
}

// A knob turned 50 times a second keeps its box lit while it moves. MIDI clock
// (F8, here every 20 ms) and Active Sensing (FE, every 300 ms) never end: their
// box lights as the stream starts, then only after the stream has paused for a
// second.
TEST_F(EntryHighlightTest, AMovingKnobStaysLitAndAStreamLightsOnlyAsItStarts) {
    const std::tuple<FakeMidiSystem::Bytes, int, int, bool> cases[] = {
        {{0xB0, 0x4A, 0x40}, 20, 1046, false},
        {{0xF8}, 20, 1083, true},
        {{0xFE}, 300, 1059, true},
    };
    for (const auto& [message, everyMs, box, stream] : cases) {
        int lightings = 0;
        bool wasLit = false;
        for (int ms = 0; ms < 1500; ms += everyMs) {
            midi->Deliver(message);
            for (int waited = 0; waited < everyMs; waited += 10) {
                QTest::qWait(10);
                const bool lit = Lit() == std::vector<int>{box};
                lightings += lit && !wasLit;
                wasLit = lit;
            }
        }
        EXPECT_EQ(lightings, 1) << box;
        EXPECT_EQ(wasLit, !stream) << box;  // a stream is dark while it goes on
        EXPECT_TRUE(GoesDark());
        if (!stream) continue;
        QTest::qWait(kSeenPauseMs);
        EXPECT_EQ(LitBy({message}), std::vector<int>{box}) << box;
    }
}

TEST(StreamLight, AFiringLightsOnlyAfterASecondOfQuiet) {
    const struct {
        std::vector<int64_t> firedMs;
        std::vector<bool> lights;
    } cases[] = {
        {{0, 20, 40, 999, 1019}, {true, false, false, false, false}},
        {{0, 300, 600, 1600, 1900}, {true, false, false, true, false}},
        {{5000, 5999, 6999}, {true, false, true}},
    };
    for (const auto& c : cases) {
        StreamLight light;
        std::vector<bool> lights;
        for (int64_t ms : c.firedMs) lights.push_back(light.Fired(ms));
        EXPECT_EQ(lights, c.lights) << c.firedMs[0];
    }
}

TEST_F(EntryHighlightTest, NothingLightsWhileTheWindowIsHiddenOrMinimised) {
    using Change = void (QWidget::*)();
    const std::pair<Change, Change> awayAndBack[] = {
        {&QWidget::hide, &QWidget::show}, {&QWidget::showMinimized, &QWidget::showNormal}};
    for (const auto& [away, back] : awayAndBack) {
        (frame.get()->*away)();
        midi->Deliver({0xB0, 0x4A, 0x40});
        QTest::qWait(3 * EntryHighlight::kPollMs);
        EXPECT_TRUE(Lit().empty());
        (frame.get()->*back)();
        // What came while away is past; the next knob lights its box alone.
        EXPECT_EQ(LitBy({{0xB0, 0x47, 0x40}}), std::vector<int>{1077});
        EXPECT_TRUE(GoesDark());
        QTest::qWait(kSeenPauseMs);  // so that the knob lights again
    }
}

}  // namespace
}  // namespace ostrel::test
