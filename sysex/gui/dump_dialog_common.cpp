#include "sysex/gui/dump_dialog_common.h"

#include <QFile>
#include <QPlainTextEdit>
#include <QShowEvent>

#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "store/display_text.h"
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

namespace {

void ShowStopMessage(QWidget* parent, const QString& text) {
    res::Ui().Message(parent, text, QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::Stop);
}

// A file failure with the file and the reason below the dialog's own words.
void ShowFileFailure(QWidget* parent, const char* text, const std::string& path,
                     const std::string& why) {
    ShowStopMessage(parent,
                    QStringLiteral("%1\n%2\n%3")
                        .arg(QString::fromLatin1(text), QString::fromStdString(DisplayText(path)),
                             QString::fromStdString(why)));
}

}  // namespace

void ShowDumpError(QWidget* parent, const char* text) {
    ShowStopMessage(parent, QString::fromLatin1(text));
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
    const std::string path = QFile::encodeName(choice.fullPath).toStdString();
    std::string why;
    switch (ReadSyxFile(path, bytes, &why)) {
        case SyxReadResult::Ok:
            return true;
        case SyxReadResult::ReadFailure:
            ShowFileFailure(this, messages_.readFailure, path, why);
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

void CDumpDialog::WriteDumpFile(const QString& chosen) {
    const std::string path = QFile::encodeName(chosen).toStdString();
    std::string why;
    switch (WriteSyxFile(path, text_, &why)) {
        case SyxWriteResult::Ok:
            break;
        case SyxWriteResult::TooLong:
            ShowDumpError(this, kDumpTooLongToSaveText);
            break;
        case SyxWriteResult::WriteFailure:
            ShowFileFailure(this, messages_.writeFailure, path, why);
            break;
        case SyxWriteResult::BadText:
            ShowDumpError(this, messages_.writeFailure);
            break;
    }
}

}  // namespace ostrel
