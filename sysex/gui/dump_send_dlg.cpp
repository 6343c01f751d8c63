#include "sysex/gui/dump_send_dlg.h"

#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>

#include "res/dialog_builder.h"
#include "res/template_dump_send.h"
#include "sysex/gui/dump_meaning_view.h"

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

CDumpSendDlg::CDumpSendDlg(QWidget* parent)
    : CDumpDialog(res::kDumpSendTemplate, res::kDumpSendText, kSendFileMessages, parent) {
    fileNameBox_ = res::Item<QLineEdit>(this, res::kDumpSendFileName);

    const QStringList entries = res::DumpControllerItems();
    for (int i = 0; i < kDumpFieldCount; ++i) {
        QComboBox* list = res::Item<QComboBox>(this, kDumpFields[i].sendListId);
        lists_[i] = list;
        res::AddComboItems(list, entries);
        res::WidenOpenList(list, res::kDumpListOpenWidth);
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

void CDumpSendDlg::OnInitDialog() {
    text_ = kDumpTemplateText;
    ShowText();
    currentFile_.clear();
    fileNameBox_->clear();
    SelectTemplateValues();
}

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
    WriteDumpFile(currentFile_);
}

void CDumpSendDlg::OnOpen() {
    res::FileChoice choice;
    std::vector<uint8_t> bytes;
    if (!OpenDumpFile(choice, bytes)) return;
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
    // A dump that leaves controls to another box, or to bank select, goes out
    // only when the user says so.
    if (!meaning_->ConfirmSend(this)) return;
    // The user puts the keyboard into its receiving state, then confirms.
    res::Ui().Message(this, QString::fromLatin1(kPressKeyboardButtonsText),
                      QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::None);
    if (send_) send_(digits);
}

}  // namespace ostrel
