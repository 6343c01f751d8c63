// Where the monitor opens beside the main window on screens of several sizes.
#include "app/monitor_place.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace ostrel {
namespace {

TEST(MonitorPlace, BesideTheMainWindowWhereTheScreenHasRoomElseWhereItCoversLeast) {
    const QSize main(790, 600);  // the main window with its frame
    const QSize monitor(537, 357);
    const int gap = 8;
    const struct {
        QSize screen;
        int mainLeft;  // -1: centred, as the main window opens
        bool mainMoves;
    } cases[] = {
        {{1920, 1080}, -1, false},
        {{1920, 1080}, 1130, false},  // at the right edge: the monitor goes left
        {{1600, 1000}, -1, true},     // room for both only once the main window moves
        {{1280, 800}, -1, true},      // no room for both
    };
    for (const auto& c : cases) {
        const QRect screen(QPoint(0, 24), c.screen);  // below a panel
        QRect before(QPoint(), main);
        before.moveCenter(screen.center());
        if (c.mainLeft >= 0) before.moveLeft(c.mainLeft);
        const MonitorPlacement at = PlaceMonitor(screen, before, monitor, gap);
        const QRect mainAt(at.main, main);
        const QRect monitorAt(at.monitor, monitor);
        const std::string name =
            std::to_string(c.screen.width()) + "x" + std::to_string(c.screen.height());
        EXPECT_TRUE(screen.contains(mainAt) && screen.contains(monitorAt)) << name;
        EXPECT_EQ(at.main != before.topLeft(), c.mainMoves) << name;
        const QRect covered = mainAt.intersected(monitorAt);
        const int least = std::max(0, main.width() + monitor.width() - c.screen.width()) *
                          std::max(0, main.height() + monitor.height() - c.screen.height());
        EXPECT_EQ(covered.width() * covered.height(), least) << name;
    }
}

}  // namespace
}  // namespace ostrel
