#include "res/message_box_seam.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>

namespace ostrel::res {
namespace {

// "config file (*.cfg)|*.cfg||" becomes Qt's "config file (*.cfg)".
QString QtFilter(const QString& filter) {
    const QStringList parts = filter.split('|', Qt::SkipEmptyParts);
    QStringList out;
    for (int i = 0; i + 1 < parts.size(); i += 2) out << parts[i];
    return out.join(";;");
}

class QtUi final : public UiSeam {
  public:
    MsgResult Message(QWidget* parent, const QString& text, const QString& caption,
                      MsgButtons buttons, MsgIcon icon) override {
        QMessageBox box(parent);
        box.setWindowTitle(caption);
        box.setText(text);
        box.setIcon(icon == MsgIcon::Information ? QMessageBox::Information
                    : icon == MsgIcon::None      ? QMessageBox::NoIcon
                                                 : QMessageBox::Critical);
        if (buttons == MsgButtons::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            return box.exec() == QMessageBox::Yes ? MsgResult::Yes : MsgResult::No;
        }
        box.setStandardButtons(QMessageBox::Ok);
        box.exec();
        return MsgResult::Ok;
    }

    FileChoice ChooseFile(QWidget* parent, const FileDialogSpec& request) override {
        QFileDialog dlg(parent);
        dlg.setNameFilter(QtFilter(request.filter));
        dlg.setDefaultSuffix(request.defaultExtension);
        dlg.setAcceptMode(request.save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dlg.setFileMode(request.save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
        if (!request.initialName.contains('*')) dlg.selectFile(request.initialName);
        FileChoice choice;
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty()) return choice;
        choice.ok = true;
        choice.fullPath = dlg.selectedFiles().first();
        choice.fileName = QFileInfo(choice.fullPath).fileName();
        return choice;
    }
};

QtUi qtUi;
UiSeam* current = &qtUi;

}  // namespace

UiSeam& Ui() { return *current; }
void SetUi(UiSeam* seam) { current = seam ? seam : &qtUi; }

}  // namespace ostrel::res
