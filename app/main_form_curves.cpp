// The two curve combos: the default item and each library curve, and the curve
// in force that a pick (or a table shown by New, Open and the start) selects.
#include <QComboBox>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "app/main_form.h"
#include "curves/curve_library.h"
#include "res/dialog_builder.h"
#include "res/item_lists.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

const char* CurveName(const CurveLibrary& library, int index) {
    return library.entries[index].name;
}

}  // namespace

void COstrelView::FillCurveCombos() {
    FillCurveCombo(CurveKind::Velocity);
    FillCurveCombo(CurveKind::Touch);
}

void COstrelView::FillCurveCombo(CurveKind kind) {
    QComboBox* combo = ComboById(kind == CurveKind::Velocity ? kIdVelocityCurves : kIdTouchCurves);
    const CurveLibrary& library = state_.curveLibraries.Of(kind);
    QStringList items{QString::fromLatin1(res::kDefaultCurveItem)};
    for (int i = 0; i < library.count && i < kCurveSlots; ++i)
        items << res::CurveItem(i, QString::fromStdString(DisplayText(CurveName(library, i))));
    const QSignalBlocker block(combo);
    combo->clear();
    res::AddComboItems(combo, items);
}

void COstrelView::OnCurvePicked(const FormCombo& combo, const QString& itemText) {
    const QByteArray bytes = itemText.toLocal8Bit();
    state_.table.SetFromItemText(combo.entry, bytes.constData());
    SelectCurve(CurveKindOf(combo), CurveId::FromText(bytes.constData()), state_.curveLibraries,
                state_.curves);
}

// The curves that the table's CURVE and TOUCH name become the curves in force, so
// that what the curve combos show is what the pass-through maps with.
void COstrelView::SelectCurvesInForce() {
    SelectCurve(CurveKind::Velocity, CurveId::FromText(state_.table.Get(Entry::CURVE).text),
                state_.curveLibraries, state_.curves);
    SelectCurve(CurveKind::Touch, CurveId::FromText(state_.table.Get(Entry::TOUCH).text),
                state_.curveLibraries, state_.curves);
}

}  // namespace ostrel
