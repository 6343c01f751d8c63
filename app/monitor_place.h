#pragma once
// Where the monitor window opens when it has no remembered place: beside the
// main window without covering it wherever the screen has room, moving the main
// window along the screen only as far as that room needs; on a screen too small
// for both, in the corner opposite the main window's, where it covers least.
#include <QPoint>
#include <QRect>
#include <QSize>

namespace ostrel {

struct MonitorPlacement {
    QPoint monitor;  // top left corner of the monitor's frame
    QPoint main;     // top left corner of the main window's frame
};

// screen: the screen's available area; main: the main window's frame;
// monitor: the size of the monitor's frame; gap: the space left between them.
MonitorPlacement PlaceMonitor(const QRect& screen, const QRect& main, const QSize& monitor,
                              int gap);

}  // namespace ostrel
