#pragma once
// The bulk dump receive dialog (template 135): shows a dump that the keyboard
// sent while the dialog is open, or one loaded from a .syx file, as hex text and
// as the nineteen controller numbers, and stores the shown message in a file.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "midi/pass_through.h"
#include "sysex/bulk_dump.h"
#include "sysex/gui/dump_dialog_common.h"

class QLineEdit;

namespace ostrel {

class CDumpReceiveDlg : public CDumpDialog {
    Q_OBJECT
  public:
    explicit CDumpReceiveDlg(QWidget* parent = nullptr);
    ~CDumpReceiveDlg() override;

    // A dump that the pass-through received while this dialog is open, handed
    // over on the window's thread. It replaces whatever is shown. Ignored while
    // the dialog is closed.
    void ShowReceivedDump(const MonitorEvent& dump);

  public slots:
    void OnNew();
    void OnOpen();
    void OnSaveAs();

  private:
    // Every opening starts empty.
    void OnInitDialog() override;
    void ClearFields();
    // Each field as "%03d" of its byte, 0 to 255; fields past the end of the
    // data show 000.
    void ShowFieldsOf(const uint8_t* bytes, size_t length);

    std::array<QLineEdit*, kDumpFieldCount> fields_{};
};

}  // namespace ostrel
