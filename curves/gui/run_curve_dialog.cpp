#include "curves/gui/run_curve_dialog.h"

#include <memory>

namespace ostrel {

QString RunCurveDialog(QWidget* parent, CurveKind kind, const QString& boxText,
                       const CurveDialogServices& services) {
    std::unique_ptr<CCurveDlg> dlg;
    if (kind == CurveKind::Velocity)
        dlg = std::make_unique<CVelocityCurveDlg>(services, parent);
    else
        dlg = std::make_unique<CTouchCurveDlg>(services, parent);
    const QByteArray id = boxText.left(3).toUtf8();
    dlg->SetCurveId(CurveId::FromText(id.constData()));
    dlg->exec();
    return QString::fromLatin1(dlg->GetCurveId().text);
}

}  // namespace ostrel
