// The curve editor on its own: what a press picks, how a drag moves, orders and
// clamps the point, what the kind's current curve holds during and after a drag,
// the picture and the hand cursor.
#include <QMouseEvent>
#include <QSignalSpy>

#include "curve_gui_fixture.h"

namespace ostrel {
namespace {

constexpr QRgb kField = qRgb(62, 62, 62);
constexpr QRgb kRed = qRgb(255, 0, 0);

class CurveStaticTest : public ::testing::Test {
  protected:
    void SetUp() override {
        curves.Of(CurveKind::Velocity).SetArea(256, 256);
        editor.resize(256, 256);
        editor.show();
        // First point (64,128), second (192,32); the current curve stays as it is.
        editor.SetPoints(64, 128, 192, 32, 256, 256);
    }
    CurvePoints Current() const { return curves.Of(CurveKind::Velocity).Load(); }
    void Press(QPoint p) { QTest::mousePress(&editor, Qt::LeftButton, {}, p); }
    void Move(QPoint p) { QTest::mouseMove(&editor, p); }
    void Release(QPoint p) { QTest::mouseRelease(&editor, Qt::LeftButton, {}, p); }
    // A move with no button held, as the pointer passes over the control.
    void Hover(QPoint p) {
        QMouseEvent e(QEvent::MouseMove, p, editor.mapToGlobal(p), Qt::NoButton, Qt::NoButton,
                      Qt::NoModifier);
        QApplication::sendEvent(&editor, &e);
    }
    static CurvePoints Points(int fx, int fy, int sx, int sy) { return {fx, fy, sx, sy, 256, 256}; }

    CurrentCurves curves;
    CCurveStatic editor{curves, CurveKind::Velocity};
};

TEST_F(CurveStaticTest, SetPointsDrawsWithoutTouchingTheCurrentCurve) {
    EXPECT_EQ(editor.GetPoints(), Points(64, 128, 192, 32));
    EXPECT_EQ(Current(), Points(0, 0, 0, 0));
    const QImage& pic = editor.Picture();
    EXPECT_EQ(pic.size(), QSize(800, 600));
    EXPECT_EQ(pic.pixel(250, 250), kField);  // below the line, away from it
    EXPECT_EQ(pic.pixel(799, 599), kField);  // the whole picture is filled
    // Handle squares: left and top edges inside, right and bottom outside.
    EXPECT_EQ(pic.pixel(59, 123), kRed);
    EXPECT_EQ(pic.pixel(68, 132), kRed);
    EXPECT_EQ(pic.pixel(70, 118), kField);
    // The broken line: from (0,256) to the first point, on to the second, to (256,0).
    EXPECT_EQ(pic.pixel(32, 192), kRed);
    EXPECT_EQ(pic.pixel(128, 80), kRed);
    EXPECT_EQ(pic.pixel(224, 16), kRed);
    // What the control shows is that picture.
    const QImage shown = editor.grab().toImage();
    EXPECT_EQ(shown.pixel(128, 80), kRed);
    EXPECT_EQ(shown.pixel(250, 250), kField);
}

TEST_F(CurveStaticTest, PressPicksThePointUnderThePointerOrNone) {
    Press({59, 123});  // top-left corner of the first square
    EXPECT_EQ(editor.Dragging(), 0);
    Release({59, 123});
    Press({196, 36});  // bottom-right pixel of the second square
    EXPECT_EQ(editor.Dragging(), 1);
    Release({196, 36});
    EXPECT_EQ(editor.Dragging(), -1);
    Press({69, 128});  // just outside the first square
    EXPECT_EQ(editor.Dragging(), -1);
    Release({69, 128});

    // A press between the squares starts no drag: moving then changes nothing.
    QSignalSpy changed(&editor, &CCurveStatic::CurveChanged);
    Press({128, 128});
    Move({140, 140});
    Release({140, 140});
    EXPECT_EQ(changed.count(), 0);
    EXPECT_EQ(editor.GetPoints(), Points(64, 128, 192, 32));
    // Only the clicks on the points made the curve shown the curve in force.
    EXPECT_EQ(Current(), Points(64, 128, 192, 32));
}

TEST_F(CurveStaticTest, DraggingWritesTheCurrentCurveAtEveryStep) {
    QSignalSpy changed(&editor, &CCurveStatic::CurveChanged);
    Press({64, 128});
    Move({80, 100});
    EXPECT_EQ(editor.GetPoints(), Points(80, 100, 192, 32));
    EXPECT_EQ(Current(), Points(80, 100, 192, 32));
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(editor.Picture().pixel(80, 100), kRed);
    // A step that leaves the point where it was is still a step.
    Move({80, 100});
    EXPECT_EQ(changed.count(), 2);
    Release({80, 100});
    EXPECT_EQ(Current(), Points(80, 100, 192, 32));
    // After the release the pointer moves freely.
    Move({10, 10});
    EXPECT_EQ(changed.count(), 2);
    EXPECT_EQ(editor.GetPoints(), Points(80, 100, 192, 32));
}

TEST_F(CurveStaticTest, TheFirstPointStopsAtTheSecondAndTheSecondAtTheFirst) {
    Press({64, 128});
    Move({230, 36});  // right of the second point
    EXPECT_EQ(editor.GetPoints(), Points(192, 36, 192, 32));
    EXPECT_EQ(Current(), Points(192, 36, 192, 32));
    Release({230, 36});
    // The squares overlap now; a press where they do picks the first point.
    Press({192, 33});
    EXPECT_EQ(editor.Dragging(), 0);
    Move({100, 40});
    Release({100, 40});
    EXPECT_EQ(editor.GetPoints(), Points(100, 40, 192, 32));

    Press({192, 32});
    Move({20, 60});  // left of the first point
    EXPECT_EQ(editor.GetPoints(), Points(100, 40, 100, 60));
    Release({20, 60});
}

TEST_F(CurveStaticTest, PointsAreClampedToTheKindsArea) {
    // The area of the current curve counts, not the control's size.
    curves.Of(CurveKind::Velocity).SetArea(200, 150);
    Press({192, 32});
    Move({300, -40});
    EXPECT_EQ(editor.GetPoints(), (CurvePoints{64, 128, 200, 0, 200, 150}));
    EXPECT_EQ(Current(), (CurvePoints{64, 128, 200, 0, 200, 150}));
    Release({300, -40});
    Press({64, 128});
    Move({-30, 400});
    EXPECT_EQ(Current(), (CurvePoints{0, 150, 200, 0, 200, 150}));
    Release({-30, 400});
}

TEST_F(CurveStaticTest, ReleaseLeavesTheCurveWhereThePictureShowsIt) {
    Press({64, 128});
    Move({230, 90});
    // The button comes up beyond the second point and outside the control: the
    // curve in force is the stopped, ordered position, not the pointer's.
    Release({300, 500});
    EXPECT_EQ(editor.Dragging(), -1);
    EXPECT_EQ(editor.GetPoints(), Points(192, 90, 192, 32));
    EXPECT_EQ(Current(), Points(192, 90, 192, 32));
    // With the button up the point no longer follows the pointer.
    Hover({50, 50});
    EXPECT_EQ(editor.GetPoints(), Points(192, 90, 192, 32));
}

TEST_F(CurveStaticTest, AMoveWithoutTheButtonEndsADragWhoseReleaseWasLost) {
    Press({64, 128});
    Move({70, 120});
    Hover({100, 100});  // the release went elsewhere
    EXPECT_EQ(editor.Dragging(), -1);
    EXPECT_EQ(editor.GetPoints(), Points(70, 120, 192, 32));
    EXPECT_EQ(Current(), Points(70, 120, 192, 32));
}

TEST_F(CurveStaticTest, TheHandCursorShowsOverAPoint) {
    Hover({64, 128});
    EXPECT_TRUE(editor.OverHandle());
    EXPECT_EQ(editor.cursor().shape(), Qt::BitmapCursor);
    EXPECT_EQ(editor.cursor().hotSpot(), QPoint(20, 13));
    Hover({128, 200});
    EXPECT_FALSE(editor.OverHandle());
    EXPECT_EQ(editor.cursor().shape(), Qt::ArrowCursor);
}

TEST(CurveCursorTest, HandImageIsThirtyTwoSquareWithTheFingertipAtTheHotSpot) {
    const QPixmap pix = CCurveStatic::HandCursor().pixmap();
    ASSERT_FALSE(pix.isNull());
    const QImage img = pix.toImage().convertToFormat(QImage::Format_ARGB32);
    EXPECT_EQ(img.size(), QSize(32, 32));
    // The fingertip is drawn at the hot spot; nothing lies to its right in that row.
    EXPECT_EQ(qAlpha(img.pixel(20, 13)), 255);
    for (int x = 21; x < 32; ++x) EXPECT_EQ(qAlpha(img.pixel(x, 13)), 0) << x;
    EXPECT_EQ(qAlpha(img.pixel(0, 0)), 0);
}

}  // namespace
}  // namespace ostrel
