// The curve on screen is the curve the live pass-through plays with: while a
// point of the velocity dialog is held and dragged, note-on messages sent
// through a private JACK server come out with their velocities mapped by the
// curve that the editor and its preview column show.
// Runs under scripts/with-jack.sh (make test); skipped without JACK_DEFAULT_SERVER.
#include "core/assignment_table.h"
#include "support/pass_through_over_jack.h"
#include "tests/curves/gui/curve_gui_fixture.h"

namespace ostrel {
namespace {

class CurveOverJack : public test::CurveGuiTest, protected test::PassThroughOverJack {
  protected:
    void SetUp() override {
        if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
        ASSERT_NO_FATAL_FAILURE(test::CurveGuiTest::SetUp());
        ASSERT_NO_FATAL_FAILURE(JoinJack(table, curves, "curves-e2e"));
        ASSERT_NO_FATAL_FAILURE(Connect());
        passThrough->Start();
    }
    void TearDown() override { LeaveJack(); }

    // Plays a note-on (channel 1) for each preview input and returns the
    // velocities that came out, in order.
    std::vector<int> PlayPreviewInputs() {
        client->ClearReceived();
        std::vector<test::Bytes> notes;
        for (int r = 0; r < res::kPreviewRows; ++r)
            notes.push_back(
                {0x90, static_cast<uint8_t>(40 + r), static_cast<uint8_t>(res::kPreviewInputs[r])});
        EXPECT_TRUE(client->SendAll(notes));
        EXPECT_TRUE(client->WaitForCount(notes.size(), test::kJackWait));
        std::vector<int> velocities;
        for (const test::Bytes& m : client->Received()) {
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
