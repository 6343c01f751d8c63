#include "curves/gui/curve_editor.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

// The cursor image lives in this folder's resource file; a resource linked from a
// static library must be registered by name, outside any namespace.
static void RegisterCurveCursorResource() { Q_INIT_RESOURCE(curve_cursor); }

namespace ostrel {
namespace {

const QColor kFieldColour(62, 62, 62);
const QColor kCurveColour(255, 0, 0);
const QColor kChosenColour(255, 255, 255);
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

namespace {

// The editor's value for screen readers is the place of its points.
class CurveEditorAccessible final : public QAccessibleWidget {
  public:
    explicit CurveEditorAccessible(QWidget* editor) : QAccessibleWidget(editor) {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return widget()->accessibleDescription();
        return QAccessibleWidget::text(t);
    }
};

QAccessibleInterface* CurveEditorFactory(const QString&, QObject* object) {
    auto* editor = qobject_cast<CCurveStatic*>(object);
    return editor ? new CurveEditorAccessible(editor) : nullptr;
}

}  // namespace

CCurveStatic::CCurveStatic(CurrentCurves& curves, CurveKind kind, QWidget* parent)
    : QWidget(parent),
      curve_(curves.Of(kind)),
      kind_(kind),
      picture_(kPictureWidth, kPictureHeight, QImage::Format_RGB32),
      hand_(HandCursor()) {
    // Moves without a button pressed still arrive, so the cursor can change over a point.
    setMouseTracking(true);
    setAttribute(Qt::WA_OpaquePaintEvent);
    // Tab reaches the editor; keys choose and move its points.
    setFocusPolicy(Qt::StrongFocus);
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(CurveEditorFactory);
        return true;
    }();
    (void)factoryInstalled;
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
// they map from and to, and which one the keys move. The same words are the
// editor's value.
void CCurveStatic::DescribePoints(int width, int height) {
    if (width <= 0 || height <= 0) return;
    const auto in = [width](int x) { return (x * 127 + width / 2) / width; };
    const auto out = [height](int y) { return ((height - y) * 127 + height / 2) / height; };
    const QString words = QStringLiteral(
                              "first point %1 to %2, second point %3 to %4; keys move "
                              "the %5 point")
                              .arg(in(firstX_))
                              .arg(out(firstY_))
                              .arg(in(secondX_))
                              .arg(out(secondY_))
                              .arg(chosen_ == 0 ? "first" : "second");
    if (words == accessibleDescription()) return;
    setAccessibleDescription(words);
    QAccessibleValueChangeEvent event(this, words);
    QAccessible::updateAccessibility(&event);
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
    if (!hasFocus()) return;
    // With the focus, the point that the keys move wears a frame.
    painter.setPen(QPen(kChosenColour, 1));
    const int x = chosen_ == 0 ? firstX_ : secondX_, y = chosen_ == 0 ? firstY_ : secondY_;
    const int side = 2 * kHandleHalf + 4;
    painter.drawRect(x - kHandleHalf - 2, y - kHandleHalf - 2, side - 1, side - 1);
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

void CCurveStatic::DragTo(const QPoint& p) { MovePoint(dragging_, p); }

void CCurveStatic::MovePoint(int point, const QPoint& p) {
    if (point == 0) {
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

void CCurveStatic::Choose(int point) {
    chosen_ = point;
    const CurvePoints area = curve_.Load();
    DescribePoints(area.width, area.height);
    update();
}

void CCurveStatic::focusInEvent(QFocusEvent* event) {
    // Tab arrives at the first point, Shift+Tab at the second.
    Choose(event->reason() == Qt::BacktabFocusReason ? 1 : 0);
    QWidget::focusInEvent(event);
}

void CCurveStatic::focusOutEvent(QFocusEvent* event) {
    update();  // the chosen point's frame goes
    QWidget::focusOutEvent(event);
}

bool CCurveStatic::focusNextPrevChild(bool next) {
    // Tab goes from the first point to the second before it leaves the editor.
    if (hasFocus() && (next ? chosen_ == 0 : chosen_ == 1)) {
        Choose(next ? 1 : 0);
        return true;
    }
    return QWidget::focusNextPrevChild(next);
}

void CCurveStatic::keyPressEvent(QKeyEvent* event) {
    const int step = event->modifiers() & Qt::ShiftModifier ? 10 : 1;
    QPoint by;
    switch (event->key()) {
        case Qt::Key_1:
        case Qt::Key_2:
            Choose(event->key() == Qt::Key_1 ? 0 : 1);
            return;
        case Qt::Key_Space:
            Choose(1 - chosen_);
            return;
        case Qt::Key_Left:
            by = {-step, 0};
            break;
        case Qt::Key_Right:
            by = {step, 0};
            break;
        case Qt::Key_Up:
            by = {0, -step};
            break;
        case Qt::Key_Down:
            by = {0, step};
            break;
        default:
            QWidget::keyPressEvent(event);
            return;
    }
    // The same limits as a drag: the point stops at the other and at the area's edges.
    const QPoint from = chosen_ == 0 ? QPoint(firstX_, firstY_) : QPoint(secondX_, secondY_);
    MovePoint(chosen_, from + by);
    event->accept();
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
