#pragma once
// The bulk dump receive dialog (template 135): shows a dump that the keyboard
// sent while the dialog is open, or one loaded from a .syx file, as hex text and
// as the nineteen controller numbers, and stores the shown message in a file.
#include <QDialog>
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "midi/pass_through.h"
#include "sysex/bulk_dump.h"

class QLineEdit;
class QPlainTextEdit;

namespace ostrel {

class CDumpReceiveDlg : public QDialog {
    Q_OBJECT
  public:
    explicit CDumpReceiveDlg(QWidget* parent = nullptr);
    ~CDumpReceiveDlg() override;

    // A dump that the pass-through received while this dialog is open, handed
    // over on the window's thread. It replaces whatever is shown. Ignored while
    // the dialog is closed.
    void ShowReceivedDump(const MonitorEvent& dump);

    // The message as shown: two hex digits and a blank per byte.
    const std::string& MessageText() const { return text_; }

  public slots:
    void OnNew();
    void OnOpen();
    void OnSaveAs();

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Every opening starts empty.
    void OnInitDialog();
    void ShowText();
    void ClearFields();
    // Each field as "%03d" of its byte, 0 to 255; fields past the end of the
    // data show 000.
    void ShowFieldsOf(const uint8_t* bytes, size_t length);

    std::array<QLineEdit*, kDumpFieldCount> fields_{};
    QPlainTextEdit* textBox_ = nullptr;
    std::string text_;
};

}  // namespace ostrel
