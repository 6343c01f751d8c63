// The curve on screen is the curve the live pass-through plays with: while a
// point of the velocity dialog is held and dragged, note-on messages sent
// through a private JACK server come out with their velocities mapped by the
// curve that the editor and its preview column show.
// Runs under scripts/with-jack.sh (make test); skipped without JACK_DEFAULT_SERVER.
#include <unistd.h>

#include <cstdlib>

#include "core/assignment_table.h"
#include "curve_gui_fixture.h"
#include "midi/pass_through.h"
#include "midi/rtmidi_services.h"
#include "support/jack_test_client.h"

namespace ostrel {
namespace {

constexpr std::chrono::milliseconds kWait{30000};  // two cores shared with other tests

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

class CurveOverJack : public test::CurveGuiTest {
  protected:
    void SetUp() override {
        if (!std::getenv("JACK_DEFAULT_SERVER"))
            GTEST_SKIP() << "JACK_DEFAULT_SERVER is not set: run under scripts/with-jack.sh";
        test::CurveGuiTest::SetUp();
        const std::string tag = std::to_string(getpid());
        keys = std::make_unique<test::JackTestClient>("curves-e2e-" + tag);
        ASSERT_TRUE(keys->ok()) << "cannot join the JACK server";
        services = std::make_unique<RtMidiServices>(MidiApi::Jack, "OstrelCurves-" + tag);
        passThrough = std::make_unique<PassThrough>(table, curves, *services);
        // Our input listens to the client's "out"; our output goes to its "in".
        const int in = IndexOf(services->InputDeviceNames(), keys->OutPort());
        const int out = IndexOf(services->OutputDeviceNames(), keys->InPort());
        ASSERT_GE(in, 0);
        ASSERT_GE(out, 0);
        ASSERT_TRUE(passThrough->OpenInput(in));
        ASSERT_TRUE(passThrough->OpenOutput(out));
        passThrough->Start();
    }
    void TearDown() override {
        passThrough.reset();
        services.reset();
        keys.reset();
    }

    // Plays a note-on (channel 1) for each preview input and returns the
    // velocities that came out, in order.
    std::vector<int> PlayPreviewInputs() {
        keys->ClearReceived();
        std::vector<test::Bytes> notes;
        for (int r = 0; r < res::kPreviewRows; ++r)
            notes.push_back(
                {0x90, static_cast<uint8_t>(40 + r), static_cast<uint8_t>(res::kPreviewInputs[r])});
        EXPECT_TRUE(keys->SendAll(notes));
        EXPECT_TRUE(keys->WaitForCount(notes.size(), kWait));
        std::vector<int> velocities;
        for (const test::Bytes& m : keys->Received()) {
            EXPECT_EQ(m.size(), 3u);
            EXPECT_EQ(m[0], 0x90);
            velocities.push_back(m.size() == 3 ? m[2] : -1);
        }
        return velocities;
    }
    static std::vector<int> PreviewValues(const QWidget* dlg) {
        std::vector<int> values;
        for (const QString& text : test::PreviewTexts(dlg)) values.push_back(text.toInt());
        return values;
    }

    AssignmentTable table;
    std::unique_ptr<test::JackTestClient> keys;
    std::unique_ptr<RtMidiServices> services;
    std::unique_ptr<PassThrough> passThrough;
};

TEST_F(CurveOverJack, NotesFollowTheCurveWhileAPointIsDragged) {
    CVelocityCurveDlg dlg(Services());
    dlg.show();
    const std::vector<int> identity = PlayPreviewInputs();
    EXPECT_EQ(identity, PreviewValues(&dlg));
    EXPECT_EQ(identity.front(), 10);

    // Take the first point and hold the button.
    QWidget* editor = dlg.findChild<QWidget*>("1003");
    ASSERT_NE(editor, nullptr);
    const QPoint centre(res::kCurveAreaWidth / 2, res::kCurveAreaHeight / 2);
    QTest::mousePress(editor, Qt::LeftButton, {}, centre);
    QTest::mouseMove(editor, {96, 208});
    ASSERT_EQ(dlg.Editor()->Dragging(), 0);
    const std::vector<int> first = PlayPreviewInputs();
    EXPECT_EQ(first, PreviewValues(&dlg));
    EXPECT_NE(first, identity);

    // Still held: the point moves on, and so does what the notes play with.
    QTest::mouseMove(editor, {40, 380});
    ASSERT_EQ(dlg.Editor()->Dragging(), 0);
    const std::vector<int> second = PlayPreviewInputs();
    EXPECT_EQ(second, PreviewValues(&dlg));
    EXPECT_NE(second, first);
    QTest::mouseRelease(editor, Qt::LeftButton, {}, {40, 380});

    // After the release the curve stays in force.
    EXPECT_EQ(PlayPreviewInputs(), second);
}

}  // namespace
}  // namespace ostrel
