#include "res/message_box_seam.h"

#include <QMessageBox>

#include "res/byte_file_dialog.h"
#include "res/path_bytes.h"

namespace ostrel::res {
namespace {

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
        // Paths travel as the system's bytes (PathFromBytes), so names that are
        // not UTF-8 open and save under their own bytes.
        ByteFileDialog dlg(request, parent);
        FileChoice choice;
        if (dlg.exec() != QDialog::Accepted) return choice;
        choice.ok = true;
        choice.fullPath = PathFromBytes(dlg.ChosenPath());
        choice.fileName = PathFromBytes(dlg.ChosenName());
        return choice;
    }
};

QtUi qtUi;
UiSeam* current = &qtUi;

}  // namespace

UiSeam& Ui() { return *current; }
void SetUi(UiSeam* seam) { current = seam ? seam : &qtUi; }

}  // namespace ostrel::res
