#include "sysex/gui/dump_receive_dlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <algorithm>
#include <vector>

#include "midi/monitor_line.h"
#include "res/dialog_builder.h"
#include "res/template_dump_receive.h"

namespace ostrel {
namespace {

// The receive records carry the first 256 bytes of a message.
constexpr size_t kRecordBytes = sizeof(MonitorEvent::received);

}  // namespace

CDumpReceiveDlg::CDumpReceiveDlg(QWidget* parent)
    : CDumpDialog(res::kDumpReceiveTemplate, res::kDumpReceiveText, kReceiveFileMessages, parent) {
    for (int i = 0; i < kDumpFieldCount; ++i) {
        fields_[i] = res::Item<QLineEdit>(this, kDumpFields[i].receiveFieldId);
        fields_[i]->setAlignment(Qt::AlignCenter);
    }
    connect(res::Item<QPushButton>(this, res::kDumpReceiveNew), &QPushButton::clicked, this,
            &CDumpReceiveDlg::OnNew);
    connect(res::Item<QPushButton>(this, res::kDumpReceiveOpen), &QPushButton::clicked, this,
            &CDumpReceiveDlg::OnOpen);
    connect(res::Item<QPushButton>(this, res::kDumpReceiveSaveAs), &QPushButton::clicked, this,
            &CDumpReceiveDlg::OnSaveAs);
    connect(res::Item<QPushButton>(this, res::kDumpReceiveClose), &QPushButton::clicked, this,
            &QDialog::accept);
}

CDumpReceiveDlg::~CDumpReceiveDlg() = default;

void CDumpReceiveDlg::OnInitDialog() { OnNew(); }

void CDumpReceiveDlg::ClearFields() {
    for (QLineEdit* field : fields_) field->clear();
}

void CDumpReceiveDlg::ShowFieldsOf(const uint8_t* bytes, size_t length) {
    for (int i = 0; i < kDumpFieldCount; ++i) {
        const int value = ReadDumpField(bytes, length, kDumpFields[i]).value_or(0);
        fields_[i]->setText(QString::asprintf("%03d", value));
    }
}

void CDumpReceiveDlg::ShowReceivedDump(const MonitorEvent& dump) {
    if (!isVisible() || dump.kind != MonitorEvent::Kind::ReceivedDump) return;
    const size_t shown = std::min<size_t>(dump.receivedLength, kRecordBytes);
    text_ = FormatDumpText(dump);
    // A message longer than a record shows where it was cut; such text never
    // fits the buffers of Save As, which refuses it.
    if (dump.receivedLength > kRecordBytes) text_ += "...";
    ShowText();
    ShowFieldsOf(dump.received, shown);
}

void CDumpReceiveDlg::OnNew() {
    text_.clear();
    ShowText();
    ClearFields();
}

void CDumpReceiveDlg::OnOpen() {
    res::FileChoice choice;
    std::vector<uint8_t> bytes;
    // A refused file leaves the shown dump in place: a received dump that is
    // not saved yet must not be lost to a wrong file.
    if (!OpenDumpFile(choice, bytes)) return;
    text_ = FormatHexText(bytes.data(), bytes.size());
    ShowText();
    ShowFieldsOf(bytes.data(), bytes.size());
}

void CDumpReceiveDlg::OnSaveAs() {
    // There is no current file: every Save As asks for a name.
    const res::FileChoice choice = ChooseSyxFile(this, true);
    if (choice.ok) WriteDumpFile(choice.fullPath);
}

}  // namespace ostrel
