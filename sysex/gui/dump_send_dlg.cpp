#include "sysex/gui/dump_send_dlg.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QShowEvent>
#include <QSignalBlocker>

#include "res/dialog_builder.h"
#include "res/template_dump_send.h"
#include "sysex/gui/dump_dialog_common.h"

namespace ostrel {
namespace {

// Selects position (-1: none) without a notification and shows the entry from
// its start, so the narrow list shows the number rather than the name's tail.
void Select(QComboBox* list, int position) {
    const QSignalBlocker block(list);
    list->setCurrentIndex(position);
    if (QLineEdit* edit = list->lineEdit()) edit->setCursorPosition(0);
}

}  // namespace

CDumpSendDlg::CDumpSendDlg(QWidget* parent) : QDialog(parent) {
    res::BuildDialog(this, res::kDumpSendTemplate);
    SetDumpDialogFrame(this);
    textBox_ = res::Item<QPlainTextEdit>(this, res::kDumpSendText);
    fileNameBox_ = res::Item<QLineEdit>(this, res::kDumpSendFileName);

    const QStringList entries = res::DumpControllerItems();
    for (int i = 0; i < kDumpFieldCount; ++i) {
        QComboBox* list = res::Item<QComboBox>(this, kDumpFields[i].sendListId);
        lists_[i] = list;
        res::AddComboItems(list, entries);
        list->view()->setMinimumWidth(res::kDumpListOpenWidth);
        // Only choosing an entry (from the open list, or with the arrow keys) sets
        // the field; text typed into the list's edit field never reaches the dump.
        connect(list, &QComboBox::activated, this, [this, i] { OnFieldChosen(i); });
    }

    const std::pair<int, void (CDumpSendDlg::*)()> buttons[] = {
        {res::kDumpSendNew, &CDumpSendDlg::OnNew},
        {res::kDumpSendSave, &CDumpSendDlg::OnSave},
        // Save As never asks for a new name while there is a current file.
        {res::kDumpSendSaveAs, &CDumpSendDlg::OnSave},
        {res::kDumpSendOpen, &CDumpSendDlg::OnOpen},
        {res::kDumpSendSend, &CDumpSendDlg::OnSend},
    };
    for (const auto& [id, slot] : buttons)
        connect(res::Item<QPushButton>(this, id), &QPushButton::clicked, this, slot);
    connect(res::Item<QPushButton>(this, res::kDumpSendClose), &QPushButton::clicked, this,
            &QDialog::accept);
}

CDumpSendDlg::~CDumpSendDlg() = default;

void CDumpSendDlg::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // A spontaneous show is the window coming back from being minimised.
    if (!event->spontaneous()) OnInitDialog();
}

void CDumpSendDlg::OnInitDialog() {
    text_ = kDumpTemplateText;
    ShowText();
    currentFile_.clear();
    fileNameBox_->clear();
    SelectTemplateValues();
}

void CDumpSendDlg::ShowText() { textBox_->setPlainText(QString::fromLatin1(text_)); }

void CDumpSendDlg::SelectTemplateValues() {
    for (int i = 0; i < kDumpFieldCount; ++i) Select(lists_[i], kDumpFields[i].templateValue);
}

void CDumpSendDlg::SelectValuesOf(const std::vector<uint8_t>& bytes) {
    for (int i = 0; i < kDumpFieldCount; ++i) {
        const std::optional<int> value = ReadDumpField(bytes.data(), bytes.size(), kDumpFields[i]);
        Select(lists_[i], value && *value < lists_[i]->count() ? *value : -1);
    }
}

void CDumpSendDlg::OnFieldChosen(int field) {
    QComboBox* list = lists_[field];
    const int position = list->currentIndex();
    if (position < 0) return;
    // The value is the number that begins the entry's text.
    const int value = list->itemText(position).left(3).toInt();
    switch (SetDumpByte(text_, kDumpFields[field].offset, value)) {
        case DumpEditResult::Ok:
            ShowText();
            break;
        case DumpEditResult::PastEnd:   // the message ends before this field
        case DumpEditResult::TooLong:   // never: Open refuses longer dumps
        case DumpEditResult::BadText:   // never: the text is always whole bytes
        case DumpEditResult::BadValue:  // never: entries are 000 to 127
            break;
    }
    Select(list, position);
}

void CDumpSendDlg::OnNew() {
    text_ = kDumpTemplateText;
    ShowText();
    SelectTemplateValues();
    currentFile_.clear();  // the file-name box keeps its text
}

void CDumpSendDlg::OnSave() {
    if (currentFile_.isEmpty()) {
        const res::FileChoice choice = ChooseSyxFile(this, true);
        if (!choice.ok) return;
        currentFile_ = choice.fullPath;
        fileNameBox_->setText(choice.fileName);
    }
    // The old file stays intact until the new content is completely written.
    switch (WriteSyxFile(currentFile_.toStdString(), text_)) {
        case SyxWriteResult::Ok:
            break;
        case SyxWriteResult::TooLong:
            ShowDumpError(this, kDumpTooLongToSaveText);
            break;
        case SyxWriteResult::WriteFailure:
        case SyxWriteResult::BadText:
            ShowDumpError(this, kSendWriteFailureText);
            break;
    }
}

void CDumpSendDlg::OnOpen() {
    const res::FileChoice choice = ChooseSyxFile(this, false);
    if (!choice.ok) return;
    std::vector<uint8_t> bytes;
    switch (ReadSyxFile(choice.fullPath.toStdString(), bytes)) {
        case SyxReadResult::Ok:
            break;
        case SyxReadResult::ReadFailure:
            ShowDumpError(this, kSendReadFailureText);
            return;
        case SyxReadResult::BadHeader:
            ShowDumpError(this, kFileCommentInvalidText);
            return;
        case SyxReadResult::TooLong:
            ShowDumpError(this, kDumpFileTooLongText);
            return;
    }
    // Only a file that was shown becomes the file that Save writes to, so a
    // refused file is never overwritten by a Save that follows.
    currentFile_ = choice.fullPath;
    fileNameBox_->setText(choice.fileName);
    text_ = FormatHexText(bytes.data(), bytes.size());
    ShowText();
    SelectValuesOf(bytes);
}

void CDumpSendDlg::OnSend() {
    const std::string digits = RemoveBlanks(text_);
    // The user puts the keyboard into its receiving state, then confirms.
    res::Ui().Message(this, QString::fromLatin1(kPressKeyboardButtonsText),
                      QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::None);
    if (send_) send_(digits);
}

}  // namespace ostrel
