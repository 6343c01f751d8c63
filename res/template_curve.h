#pragma once
// Templates of the curve dialogs: 104 velocity curve, 103 touch curve, 140 the
// curve list "Settings".
#include "res/dialog_template.h"

namespace ostrel::res {

// Ids of the curve list dialog's items.
enum CurveListItem : int {
    kCurveListOk = 1,
    kCurveListCancel = 2,
    kCurveListNameEdit = 1110,
    kCurveListList = 1111,
};

// The curve editor's drawing area: 256 x 256 dialog units at the fixed base units,
// so 384 x 416 pixels on every machine. Curve coordinates are pixels of this
// area; start-up gives both current curves this size.
inline constexpr int kCurveAreaDlu = 256;
inline constexpr int kCurveAreaWidth = DluToPixelsX(kCurveAreaDlu);
inline constexpr int kCurveAreaHeight = DluToPixelsY(kCurveAreaDlu);

// Output items of the preview column, one per input of kPreviewInputs, in order.
inline constexpr int kPreviewRows = 13;
inline constexpr int kPreviewInputs[kPreviewRows] = {10, 20, 30,  40,  50,  60, 70,
                                                     80, 90, 100, 110, 120, 127};
inline constexpr int kPreviewOutputIds[kPreviewRows] = {1025, 1026, 1027, 1028, 1029, 1030, 1031,
                                                        1033, 1034, 1035, 1036, 1037, 1038};

extern const DialogTemplate kTouchCurveTemplate;     // 103
extern const DialogTemplate kVelocityCurveTemplate;  // 104
extern const DialogTemplate kCurveListTemplate;      // 140

}  // namespace ostrel::res
