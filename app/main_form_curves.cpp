// The two curve combos: the default item and each library curve, and the curve
// in force that a pick, a curve dialog or a table shown by New, Open and the
// start selects.
#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "app/code_box.h"
#include "app/main_form.h"
#include "curves/curve_library.h"
#include "curves/gui/run_curve_dialog.h"
#include "res/dialog_builder.h"
#include "res/item_lists.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

const char* CurveName(const CurveLibrary& library, int index) {
    return library.entries[index].name;
}

}  // namespace

CodeBox* COstrelView::CurveCombo(CurveKind kind) const {
    return BoxById(kind == CurveKind::Velocity ? kIdVelocityCurves : kIdTouchCurves);
}

void COstrelView::FillCurveCombo(CurveKind kind) {
    QComboBox* combo = CurveCombo(kind);
    const CurveLibrary& library = state_.curveLibraries.Of(kind);
    QStringList items{QString::fromLatin1(res::kDefaultCurveItem)};
    for (int i = 0; i < library.count && i < kCurveSlots; ++i)
        items << res::CurveItem(i, QString::fromStdString(DisplayText(CurveName(library, i))));
    const QSignalBlocker block(combo);
    combo->clear();
    res::AddComboItems(combo, items);
}

// The box's curve goes into the dialog; afterwards the box lists the library
// again, and the curve the dialog ended with becomes the choice exactly as a pick
// in the box makes it: so the box, CURVE / TOUCH and the curve in force agree,
// and Save stores the curve that plays.
void COstrelView::RunCurveDialogOf(CurveKind kind) {
    const QString id = RunCurveDialog(this, kind, CurveCombo(kind)->currentText(),
                                      {state_.settings, state_.curves, state_.curveLibraries});
    FillCurveCombo(kind);
    UseCurveChoice(kind, id.toLatin1().constData());
}

void COstrelView::UseCurveChoice(CurveKind kind, const char* code) {
    const CurveId choice = CurveChoiceIn(state_.curveLibraries.Of(kind), code);
    state_.table.Set(kind == CurveKind::Velocity ? Entry::CURVE : Entry::TOUCH, choice.text);
    SelectCurve(kind, choice, state_.curveLibraries, state_.curves);
    QComboBox* combo = CurveCombo(kind);
    res::LoadComboText(combo, QString::fromLatin1(choice.text));
    combo->lineEdit()->setCursorPosition(0);
}

// The table's CURVE and TOUCH become the curves in force, so that what the curve
// boxes show is what the pass-through maps with.
void COstrelView::SelectCurvesInForce() {
    UseCurveChoice(CurveKind::Velocity, state_.table.Get(Entry::CURVE).text);
    UseCurveChoice(CurveKind::Touch, state_.table.Get(Entry::TOUCH).text);
}

}  // namespace ostrel
