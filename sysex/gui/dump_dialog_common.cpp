#include "sysex/gui/dump_dialog_common.h"

#include <QDialog>

#include "res/app_resources.h"

namespace ostrel {

void SetDumpDialogFrame(QDialog* dialog) {
    dialog->setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                           Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    dialog->setWindowIcon(res::AppIcon());
}

res::FileChoice ChooseSyxFile(QWidget* parent, bool save) {
    res::FileDialogSpec spec;
    spec.save = save;
    spec.filter = QString::fromLatin1(kSyxFilter);
    spec.defaultExtension = QStringLiteral("syx");
    spec.initialName = save ? QStringLiteral("midi.syx") : QStringLiteral("*.syx");
    return res::Ui().ChooseFile(parent, spec);
}

void ShowDumpError(QWidget* parent, const char* text) {
    res::Ui().Message(parent, QString::fromLatin1(text), QString::fromLatin1(res::kAppCaption),
                      res::MsgButtons::Ok, res::MsgIcon::Stop);
}

}  // namespace ostrel
