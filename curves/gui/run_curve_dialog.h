#pragma once
// Opening a curve dialog from a curve choice box of the main form.
#include <QString>

#include "curves/gui/curve_dialog.h"

namespace ostrel {

// Runs the kind's curve dialog modally. The first three characters of boxText
// (the choice box's text, "***     -- Default" or "004     -- Soft") are the
// curve id handed in; the id the dialog ends with is returned, for the box to show.
QString RunCurveDialog(QWidget* parent, CurveKind kind, const QString& boxText,
                       const CurveDialogServices& services);

}  // namespace ostrel
