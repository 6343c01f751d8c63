// A message through the pass-through lights the boxes of the entries that
// decided it, for a moment, and only while the window is on the screen.
#include "app/entry_highlight.h"

#include <QPalette>

#include "main_form_fixture.h"

namespace ostrel::test {
namespace {

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
    } cases[] = {
        {"***", {{0x90, 48, 0x40}, {0xF8}}, {1083}},        // a note of octave 4 lights no key
        {"***", {{0x90, 60, 0x40}}, {1045}},                // C of octave 5
        {"***", {{0x80, 60, 0x40}}, {1045}},                // its end, sent where its start went
        {"***", {{0xB0, 0x40, 0x7F}}, {1054}},              // sustain pedal ...
        {"***", {{0xB0, 0x40, 0x00}}, {1054}},              // ... and its release
        {"002", {{0xB0, 0x27, 0x50}}, {1084, 1043, 1060}},  // both master boxes; moved
        {"002", {{0xB1, 0x0B, 0x10}}, {1053}},  // already on channel 2: Channel stays dark
    };
    for (const auto& c : cases) {
        PickText(1060, c.channel);
        EXPECT_EQ(LitBy(c.played), c.lit) << c.channel;
        EXPECT_TRUE(GoesDark());
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
    }
}

}  // namespace
}  // namespace ostrel::test
