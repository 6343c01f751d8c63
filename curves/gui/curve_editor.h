#pragma once
// The curve editor: draws one response curve as a broken line through two
// control points and lets the user drag the points, or move them by keyboard:
// Tab (or 1, 2, Space) chooses a point, the arrow keys move it by one pixel,
// with Shift by ten, within the same limits as a drag. While a point moves, the
// kind's current curve follows it, so the live pass-through hears the new curve
// at once; after every step CurveChanged tells the dialog to refresh.
#include <QCursor>
#include <QImage>
#include <QWidget>

#include "curves/current_curve.h"

namespace ostrel {

class CCurveStatic : public QWidget {
    Q_OBJECT
  public:
    // The off-screen picture is larger than any drawing area in use.
    static constexpr int kPictureWidth = 800;
    static constexpr int kPictureHeight = 600;
    // Half the side of a control point's square.
    static constexpr int kHandleHalf = 5;
    // The hand cursor's hot spot: the tip of the index finger.
    static constexpr int kHotSpotX = 20;
    static constexpr int kHotSpotY = 13;

    CCurveStatic(CurrentCurves& curves, CurveKind kind, QWidget* parent = nullptr);

    // Draws the picture for the control's own points in an area of width x height
    // pixels and shows it.
    void Redraw(int width, int height);
    // Stores the four coordinates and redraws; the current curve is not touched
    // and no change is signalled.
    void SetPoints(int firstX, int firstY, int secondX, int secondY, int width, int height);
    // The control's four coordinates (width and height are those of the current curve).
    CurvePoints GetPoints() const;

    CurveKind Kind() const { return kind_; }
    // -1: no point is dragged; 0: the first point; 1: the second point.
    int Dragging() const { return dragging_; }
    // The point that the keys move: 0 the first, 1 the second.
    int Chosen() const { return chosen_; }
    bool OverHandle() const { return overHandle_ == 1; }
    const QImage& Picture() const { return picture_; }
    static QCursor HandCursor();

  signals:
    // The curve shown changed during a drag.
    void CurveChanged();

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    bool focusNextPrevChild(bool next) override;

  private:
    static bool InHandle(int pointX, int pointY, const QPoint& p);
    void DrawPicture(int width, int height);
    void DescribePoints(int width, int height);
    void DragTo(const QPoint& p);
    // Moves point 0 or 1 to p, ordered and clamped to the kind's area, and puts
    // the curve in force.
    void MovePoint(int point, const QPoint& p);
    void Choose(int point);
    void EndDrag();

    CurrentCurve& curve_;
    const CurveKind kind_;
    QImage picture_;
    QCursor hand_;
    int firstX_ = 0, firstY_ = 0, secondX_ = 0, secondY_ = 0;
    int dragging_ = -1;
    int chosen_ = 0;
    int overHandle_ = -1;
};

}  // namespace ostrel
