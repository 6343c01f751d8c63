#include "curves/gui/curve_editor.h"

#include <QMouseEvent>
#include <QPainter>

// The cursor image lives in this folder's resource file; a resource linked from a
// static library must be registered by name, outside any namespace.
static void RegisterCurveCursorResource() { Q_INIT_RESOURCE(curve_cursor); }

namespace ostrel {
namespace {

const QColor kFieldColour(62, 62, 62);
const QColor kCurveColour(255, 0, 0);
constexpr int kPenWidth = 2;

int ClampTo(int value, int upper) {
    if (value >= upper) return upper;
    if (value <= 0) return 0;
    return value;
}

}  // namespace

QCursor CCurveStatic::HandCursor() {
    RegisterCurveCursorResource();
    return QCursor(QPixmap(QStringLiteral(":/cursors/hand.png")), kHotSpotX, kHotSpotY);
}

CCurveStatic::CCurveStatic(CurrentCurves& curves, CurveKind kind, QWidget* parent)
    : QWidget(parent),
      curve_(curves.Of(kind)),
      kind_(kind),
      picture_(kPictureWidth, kPictureHeight, QImage::Format_RGB32),
      hand_(HandCursor()) {
    // Moves without a button pressed still arrive, so the cursor can change over a point.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    picture_.fill(kFieldColour);
}

bool CCurveStatic::InHandle(int pointX, int pointY, const QPoint& p) {
    // Left and top edges inside, right and bottom edges outside: a 10 x 10 square.
    return p.x() >= pointX - kHandleHalf && p.x() < pointX + kHandleHalf &&
           p.y() >= pointY - kHandleHalf && p.y() < pointY + kHandleHalf;
}

void CCurveStatic::DrawPicture(int width, int height) {
    QPainter painter(&picture_);
    painter.fillRect(0, 0, kPictureWidth, kPictureHeight, kFieldColour);
    const int side = 2 * kHandleHalf;
    painter.fillRect(firstX_ - kHandleHalf, firstY_ - kHandleHalf, side, side, kCurveColour);
    painter.fillRect(secondX_ - kHandleHalf, secondY_ - kHandleHalf, side, side, kCurveColour);
    // The lines are drawn over the squares.
    painter.setPen(QPen(kCurveColour, kPenWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
    painter.drawLine(0, height, firstX_, firstY_);
    painter.drawLine(firstX_, firstY_, secondX_, secondY_);
    painter.drawLine(secondX_, secondY_, width, 0);
}

// For screen readers: where the two points lie, as the values (0 to 127) that
// they map from and to.
void CCurveStatic::DescribePoints(int width, int height) {
    if (width <= 0 || height <= 0) return;
    const auto in = [width](int x) { return (x * 127 + width / 2) / width; };
    const auto out = [height](int y) { return ((height - y) * 127 + height / 2) / height; };
    setAccessibleDescription(QStringLiteral("first point %1 to %2, second point %3 to %4")
                                 .arg(in(firstX_))
                                 .arg(out(firstY_))
                                 .arg(in(secondX_))
                                 .arg(out(secondY_)));
}

void CCurveStatic::Redraw(int width, int height) {
    DrawPicture(width, height);
    DescribePoints(width, height);
    update();
}

void CCurveStatic::SetPoints(int firstX, int firstY, int secondX, int secondY, int width,
                             int height) {
    firstX_ = firstX;
    firstY_ = firstY;
    secondX_ = secondX;
    secondY_ = secondY;
    Redraw(width, height);
}

CurvePoints CCurveStatic::GetPoints() const {
    CurvePoints p = curve_.Load();
    p.firstX = firstX_;
    p.firstY = firstY_;
    p.secondX = secondX_;
    p.secondY = secondY_;
    return p;
}

void CCurveStatic::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPoint(0, 0), picture_, QRect(0, 0, width(), height()));
}

void CCurveStatic::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint p = event->position().toPoint();
    dragging_ = -1;
    // When the squares overlap, the first point wins.
    if (InHandle(firstX_, firstY_, p)) {
        dragging_ = 0;
    } else if (InHandle(secondX_, secondY_, p)) {
        dragging_ = 1;
    }
    event->accept();
}

void CCurveStatic::mouseMoveEvent(QMouseEvent* event) {
    const QPoint p = event->position().toPoint();
    overHandle_ = (InHandle(firstX_, firstY_, p) || InHandle(secondX_, secondY_, p)) ? 1 : -1;
    if (overHandle_ == 1) {
        setCursor(hand_);
    } else {
        unsetCursor();
    }
    if (dragging_ == -1) return;
    if (!(event->buttons() & Qt::LeftButton)) {
        // The release never reached us (the grab was taken away, for example by
        // another window): the drag is over, the point does not follow a free pointer.
        EndDrag();
        return;
    }
    DragTo(p);
}

void CCurveStatic::DragTo(const QPoint& p) {
    if (dragging_ == 0) {
        firstX_ = p.x();
        firstY_ = p.y();
        // The first point never lies to the right of the second.
        if (firstX_ >= secondX_) firstX_ = secondX_;
    } else {
        secondX_ = p.x();
        secondY_ = p.y();
        if (firstX_ >= secondX_) secondX_ = firstX_;
    }
    // Clamp to the kind's drawing area, in this order.
    const CurvePoints area = curve_.Load();
    firstY_ = ClampTo(firstY_, area.height);
    firstX_ = ClampTo(firstX_, area.width);
    secondY_ = ClampTo(secondY_, area.height);
    secondX_ = ClampTo(secondX_, area.width);

    curve_.SetPoints(firstX_, firstY_, secondX_, secondY_);
    DrawPicture(width(), height());
    DescribePoints(area.width, area.height);
    emit CurveChanged();
    update();
}

void CCurveStatic::EndDrag() {
    // The curve in force is the one the picture shows: ordered and clamped.
    if (dragging_ != -1) curve_.SetPoints(firstX_, firstY_, secondX_, secondY_);
    dragging_ = -1;
}

void CCurveStatic::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QWidget::mouseReleaseEvent(event);
        return;
    }
    EndDrag();
    event->accept();
}

}  // namespace ostrel
