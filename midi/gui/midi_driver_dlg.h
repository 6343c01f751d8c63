#pragma once
// The MIDI driver setting dialog (template 131): one list of input devices, one
// of output devices, each entry "%02d:%s" of the device index and name. OK takes
// the two choices into the current device indices and the settings file (DEVNAME
// MIDIIN, then MIDIOUT; -1 for a list without a choice); Cancel changes nothing.
#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

namespace ostrel {

class CIniSettings;
struct DeviceIndices;

class CMidiDriverDlg : public QDialog {
    Q_OBJECT
  public:
    CMidiDriverDlg(const std::vector<std::string>& inputNames,
                   const std::vector<std::string>& outputNames, DeviceIndices& devices,
                   CIniSettings& settings, QWidget* parent = nullptr);

    // The device index that a list has chosen, -1 for none.
    int ChosenInput() const;
    int ChosenOutput() const;

    // OK: indices and settings take the choices, then the dialog ends with OK.
    void accept() override;

  private:
    DeviceIndices& devices_;
    CIniSettings& settings_;
    QComboBox* inputs_ = nullptr;
    QComboBox* outputs_ = nullptr;
};

}  // namespace ostrel
