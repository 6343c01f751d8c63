#pragma once
// Form template 101: the main form, 515 x 342 dialog units, 136 items.
#include "res/dialog_template.h"

namespace ostrel::res {

const DialogTemplate& MainFormTemplate();

// Ids of the form's buttons and of its banner area.
inline constexpr int kIdBulkSend = 1002;
inline constexpr int kIdVelocityCurveButton = 1003;
inline constexpr int kIdStart = 1004;
inline constexpr int kIdStop = 1005;
inline constexpr int kIdMonitor = 1006;
inline constexpr int kIdBulkReceive = 1063;
inline constexpr int kIdTouchCurveButton = 1068;
inline constexpr int kIdBanner = 1121;
// Panic: everything off on the output (Ctrl+P).
inline constexpr int kIdPanic = 1122;

// Size of every combo box: 47 units wide, its opened list 217 units high.
inline constexpr int kFormComboWidth = 47;
inline constexpr int kFormComboListHeight = 217;

}  // namespace ostrel::res
