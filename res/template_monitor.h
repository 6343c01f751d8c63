#pragma once
#include "res/dialog_template.h"

namespace ostrel::res {

// Template 133: the MIDI monitor window (class CMonitorDlg).
extern const DialogTemplate kMonitorTemplate;
inline constexpr int kMonitorLogId = 1004;
inline constexpr int kMonitorStartId = 1106;
inline constexpr int kMonitorStopId = 1107;
inline constexpr int kMonitorExitId = 1109;
inline constexpr int kMonitorClearId = 1110;

}  // namespace ostrel::res
