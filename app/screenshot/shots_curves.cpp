// The curve dialogs: the velocity and touch dialogs each showing a saved,
// non-default curve, and the curve list dialog with a few names.
#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/screenshot/shot_registry.h"
#include "curves/gui/curve_dialog.h"
#include "curves/gui/curve_list_dlg.h"

namespace ostrel::shots {
namespace {

CurveDialogServices Services(ShotContext& c) {
    return {c.state.settings, c.state.curves, c.state.curveLibraries};
}

// Adds a curve to the kind's library (points in pixels of the 384 x 416 area)
// and returns its id; an id already saved by an earlier shot is found again.
CurveId SavedCurve(ShotContext& c, CurveKind kind, const char* name, CurvePoints p) {
    const std::vector<std::string> names = ReadCurveNames(c.state.settings, kind);
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return CurveId::ForIndex(static_cast<int>(i));
    const AddCurveOutcome added = AddCurve(kind, name, p.firstX, p.firstY, p.secondX, p.secondY,
                                           c.state.settings, c.state.curveLibraries);
    return added.index < 0 ? CurveId::Default() : CurveId::ForIndex(added.index);
}

std::unique_ptr<QWidget> VelocityDialog(ShotContext& c) {
    auto dlg = std::make_unique<CVelocityCurveDlg>(Services(c), c.frame);
    dlg->SetCurveId(SavedCurve(c, CurveKind::Velocity, "Soft touch", {96, 208, 288, 52}));
    return dlg;
}

std::unique_ptr<QWidget> TouchDialog(ShotContext& c) {
    auto dlg = std::make_unique<CTouchCurveDlg>(Services(c), c.frame);
    dlg->SetCurveId(SavedCurve(c, CurveKind::Touch, "Late pressure", {250, 380, 330, 120}));
    return dlg;
}

std::unique_ptr<QWidget> CurveList(ShotContext& c) {
    SavedCurve(c, CurveKind::Velocity, "Soft touch", {96, 208, 288, 52});
    SavedCurve(c, CurveKind::Velocity, "Hard hitter", {150, 100, 250, 40});
    SavedCurve(c, CurveKind::Velocity, "Organ (flat)", {0, 0, 384, 0});
    return std::make_unique<CCurveListDlg>(c.state.settings, CurveKind::Velocity,
                                           CCurveListDlg::kLoad, c.frame);
}

const RegisterShot kVelocity("velocity_curve", VelocityDialog);
const RegisterShot kTouch("touch_curve", TouchDialog);
const RegisterShot kList("curve_list", CurveList);

}  // namespace
}  // namespace ostrel::shots
