#pragma once
// The bulk dump send dialog (template 134): composes a dump from nineteen lists
// of controller numbers, shows it as hex text, keeps it in .syx files and hands
// it to the transmission, which checks and sends it.
#include <QString>
#include <array>
#include <functional>
#include <string>

#include "sysex/bulk_dump.h"
#include "sysex/gui/dump_dialog_common.h"

class QComboBox;
class QLineEdit;

namespace ostrel {

class CDumpSendDlg : public CDumpDialog {
    Q_OBJECT
  public:
    // Sends blank-free hex text as one System Exclusive message, checking it and
    // reporting its own errors; returns when the message is out (or refused).
    using SendHandler = std::function<void(const std::string& hexDigits)>;

    explicit CDumpSendDlg(QWidget* parent = nullptr);
    ~CDumpSendDlg() override;

    // Set once by the main form at its start: where Send hands the message.
    void SetSendHandler(SendHandler handler) { send_ = std::move(handler); }

    // The .syx file that Save writes to; empty when none.
    const QString& CurrentFile() const { return currentFile_; }

  public slots:
    void OnNew();
    void OnSave();
    void OnOpen();
    void OnSend();

  private:
    // Every opening starts from the template with no current file.
    void OnInitDialog() override;
    // The user chose an entry in the list of field i: store its number in the dump.
    void OnFieldChosen(int field);
    void SelectTemplateValues();
    // Selects in each list the number its field holds in bytes; a field past the
    // end of the data, or a byte of 128 or more, leaves its list without a selection.
    void SelectValuesOf(const std::vector<uint8_t>& bytes);

    std::array<QComboBox*, kDumpFieldCount> lists_{};
    QLineEdit* fileNameBox_ = nullptr;
    QString currentFile_;
    SendHandler send_;
};

}  // namespace ostrel
