#include "app/monitor_place.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <optional>

namespace ostrel {
namespace {

// lo, or as close to it as keeps a length of `size` from lo inside [first, last].
int Clamp(int lo, int size, int first, int last) {
    return std::max(first, std::min(lo, last + 1 - size));
}

// The monitor beside main with main where it is: right, left, below, above,
// the first that lies on the screen; nothing when none does.
std::optional<QPoint> Beside(const QRect& screen, const QRect& main, const QSize& m, int gap) {
    const int y = Clamp(main.top(), m.height(), screen.top(), screen.bottom());
    const int x = Clamp(main.left(), m.width(), screen.left(), screen.right());
    const std::array<QPoint, 4> sides = {
        QPoint(main.right() + 1 + gap, y), QPoint(main.left() - gap - m.width(), y),
        QPoint(x, main.bottom() + 1 + gap), QPoint(x, main.top() - gap - m.height())};
    for (const QPoint& at : sides) {
        const QRect r(at, m);
        if (screen.contains(r) && !r.intersects(main)) return at;
    }
    return std::nullopt;
}

}  // namespace

MonitorPlacement PlaceMonitor(const QRect& screen, const QRect& main, const QSize& m, int gap) {
    if (const auto at = Beside(screen, main, m, gap)) return {*at, main.topLeft()};
    // Room for both side by side, else one above the other: the main window
    // moves the least distance that makes that room.
    std::optional<QPoint> moved;
    const auto consider = [&](QPoint to) {
        if (!moved ||
            (to - main.topLeft()).manhattanLength() < (*moved - main.topLeft()).manhattanLength())
            moved = to;
    };
    if (main.width() + gap + m.width() <= screen.width()) {
        const int y = main.top();
        consider({std::min(main.left(), screen.right() + 1 - m.width() - gap - main.width()), y});
        consider({std::max(main.left(), screen.left() + m.width() + gap), y});
    }
    if (!moved && main.height() + gap + m.height() <= screen.height()) {
        const int x = main.left();
        consider({x, std::min(main.top(), screen.bottom() + 1 - m.height() - gap - main.height())});
        consider({x, std::max(main.top(), screen.top() + m.height() + gap)});
    }
    if (moved) {
        const QRect at(*moved, main.size());
        if (const auto monitorAt = Beside(screen, at, m, gap)) return {*monitorAt, *moved};
    }
    // Too small for both: the main window in the top left corner, the monitor in
    // the bottom right one, over the main window's empty banner area.
    const QPoint mainAt = screen.topLeft();
    const QPoint monitorAt(
        Clamp(screen.right() + 1 - m.width(), m.width(), screen.left(), screen.right()),
        Clamp(screen.bottom() + 1 - m.height(), m.height(), screen.top(), screen.bottom()));
    return {monitorAt, mainAt};
}

}  // namespace ostrel
