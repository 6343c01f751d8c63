#include "sysex/gui/dump_dialog_common.h"

#include <QPlainTextEdit>
#include <QShowEvent>

#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "sysex/bulk_dump.h"
#include "sysex/gui/dump_meaning_view.h"

namespace ostrel {

res::FileChoice ChooseSyxFile(QWidget* parent, bool save) {
    res::FileDialogSpec request;
    request.save = save;
    request.filter = QString::fromLatin1(kSyxFilter);
    request.defaultExtension = QStringLiteral("syx");
    request.initialName = save ? QStringLiteral("midi.syx") : QStringLiteral("*.syx");
    return res::Ui().ChooseFile(parent, request);
}

void ShowDumpError(QWidget* parent, const char* text) {
    res::Ui().Message(parent, QString::fromLatin1(text), QString::fromLatin1(res::kAppCaption),
                      res::MsgButtons::Ok, res::MsgIcon::Stop);
}

CDumpDialog::CDumpDialog(const res::DialogTemplate& tmpl, int textBoxId,
                         const DumpFileMessages& messages, QWidget* parent)
    : QDialog(parent), messages_(messages) {
    res::BuildDialog(this, tmpl);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(res::AppIcon());
    textBox_ = res::Item<QPlainTextEdit>(this, textBoxId);
    meaning_ = DumpMeaningView::AddBelow(this);
}

void CDumpDialog::SetTableSource(std::function<const AssignmentTable&()> source) {
    meaning_->SetTableSource(std::move(source));
}

void CDumpDialog::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A spontaneous show is the window coming back from being minimised.
    if (!event->spontaneous()) OnInitDialog();
}

void CDumpDialog::ShowText() {
    textBox_->setPlainText(QString::fromLatin1(text_));
    meaning_->ShowDump(text_);
}

bool CDumpDialog::OpenDumpFile(res::FileChoice& choice, std::vector<uint8_t>& bytes) {
    choice = ChooseSyxFile(this, false);
    if (!choice.ok) return false;
    switch (ReadSyxFile(choice.fullPath.toStdString(), bytes)) {
        case SyxReadResult::Ok:
            return true;
        case SyxReadResult::ReadFailure:
            ShowDumpError(this, messages_.readFailure);
            return false;
        case SyxReadResult::BadHeader:
            ShowDumpError(this, kFileCommentInvalidText);
            return false;
        case SyxReadResult::TooLong:
            ShowDumpError(this, kDumpFileTooLongText);
            return false;
    }
    return false;
}

void CDumpDialog::WriteDumpFile(const QString& path) {
    switch (WriteSyxFile(path.toStdString(), text_)) {
        case SyxWriteResult::Ok:
            break;
        case SyxWriteResult::TooLong:
            ShowDumpError(this, kDumpTooLongToSaveText);
            break;
        case SyxWriteResult::WriteFailure:
        case SyxWriteResult::BadText:
            ShowDumpError(this, messages_.writeFailure);
            break;
    }
}

}  // namespace ostrel
