#include "res/template_monitor.h"

namespace ostrel::res {
namespace {

const DialogItem kItems[] = {
    {kMonitorLogId, ItemKind::Edit, "", 0, 0, 319, 201, kMultiline | kBorder | kVScroll | kHScroll,
     "Messages"},
    {kMonitorStartId, ItemKind::PushButton, "Start", 321, 11, 35, 16},
    {kMonitorStopId, ItemKind::PushButton, "Stop", 321, 34, 35, 16},
    {kMonitorClearId, ItemKind::PushButton, "Clear", 321, 57, 35, 16},
    {kMonitorExitId, ItemKind::PushButton, "Exit", 321, 80, 35, 16},
};

}  // namespace

const DialogTemplate kMonitorTemplate = {
    133, "CMonitorDlg", "DO Darivu v1.0 beta   -- Monitor ", 358, 201, {"Courier", 10}, kItems,
};

}  // namespace ostrel::res
