#include "res/template_curve.h"

namespace ostrel::res {
namespace {

// The two curve dialogs share one layout; they differ in the drawing item's id,
// the button ids and the y of the "New" heading.
constexpr int kRowY[kPreviewRows] = {28, 44, 60, 76, 93, 109, 125, 142, 158, 174, 190, 206, 222};
constexpr const char* kInputLabels[kPreviewRows] = {"010", "020", "030", "040", "050", "060", "070",
                                                    "080", "090", "100", "110", "120", "127"};
constexpr const char* kButtonTexts[5] = {"Default", "Save", "Delete", "Load", "Close"};
constexpr int kButtonY[5] = {28, 48, 68, 88, 108};

constexpr int kItemCount = 1 + 2 + 2 * kPreviewRows + 5;

struct CurveLayout {
    DialogItem items[kItemCount];
};

constexpr CurveLayout MakeCurveLayout(int drawingId, const char* drawingName, int firstButtonId,
                                      int newHeadingY) {
    CurveLayout l{};
    int n = 0;
    constexpr int side = kCurveAreaDlu;
    l.items[n++] = {drawingId, ItemKind::CustomArea, "Static", 0, 0, side, side,
                    kNotify,   drawingName};
    l.items[n++] = {0, ItemKind::StaticCenter, "Source", 265, 12, 34, 13};
    l.items[n++] = {0, ItemKind::StaticCenter, "New", 304, newHeadingY, 34, 13};
    for (int r = 0; r < kPreviewRows; ++r) {
        l.items[n++] = {0, ItemKind::StaticCenter, kInputLabels[r], 264, kRowY[r], 35, 14};
        l.items[n++] = {kPreviewOutputIds[r], ItemKind::StaticCenter, "00", 304, kRowY[r], 35, 14};
    }
    for (int b = 0; b < 5; ++b)
        l.items[n++] = {
            firstButtonId + b, ItemKind::PushButton, kButtonTexts[b], 344, kButtonY[b], 44, 15};
    return l;
}

constexpr CurveLayout kTouchLayout = MakeCurveLayout(1002, "Touch curve", 1113, 13);
constexpr CurveLayout kVelocityLayout = MakeCurveLayout(1003, "Velocity curve", 1107, 12);

constexpr DialogItem kCurveListItems[] = {
    {kCurveListNameEdit, ItemKind::Edit, "", 1, 7, 147, 14, kBorder | kHScroll, "Curve name"},
    {kCurveListList, ItemKind::ListBox, "", 1, 23, 147, 135, kBorder | kVScroll | kNotify,
     "Curve library"},
    {kCurveListOk, ItemKind::DefaultPushButton, "OK", 150, 7, 50, 14},
    {kCurveListCancel, ItemKind::PushButton, "Cancel", 150, 24, 50, 14},
};

}  // namespace

const DialogTemplate kTouchCurveTemplate = {103,
                                            "CTouchCurveDlg",
                                            "DO Darivu v1.0 beta   --  Touch Curve Modify",
                                            393,
                                            257,
                                            {"MS Sans Serif", 8},
                                            kTouchLayout.items};

const DialogTemplate kVelocityCurveTemplate = {104,
                                               "CVelocityCurveDlg",
                                               "DO Darivu v1.0 beta   -- Velocity Curve Modify",
                                               393,
                                               257,
                                               {"MS Sans Serif", 8},
                                               kVelocityLayout.items};

const DialogTemplate kCurveListTemplate = {140, "CCurveListDlg",      "Settings",     202,
                                           161, {"MS Sans Serif", 8}, kCurveListItems};

}  // namespace ostrel::res
