#pragma once
// The MIDI driver setting dialog (template 131): one list of input devices, one
// of output devices, the other clients' MIDI ports by full name, each entry
// "%02d:%s" of its position and name. The remembered device is selected even
// while its port is absent (listed as "--:" and its name). OK takes the two
// choices into the settings file (DEVNAME: MIDIIN, MIDIINNAME, then MIDIOUT,
// MIDIOUTNAME); Cancel changes nothing. A line under the lists says which MIDI
// system the ports belong to, or, when there is none, why.
#include <QDialog>
#include <string>
#include <vector>

class QComboBox;

namespace ostrel {

class CIniSettings;

class CMidiDriverDlg : public QDialog {
    Q_OBJECT
  public:
    struct Lists {
        std::vector<std::string> inputs, outputs;  // full port names, sorted
        std::string chosenInput, chosenOutput;     // remembered, possibly absent
        std::string problem;                       // why there is no MIDI system, or empty
        std::string system;                        // the one in use: "JACK", "PipeWire", "ALSA"
    };
    CMidiDriverDlg(const Lists& lists, CIniSettings& settings, QWidget* parent = nullptr);

    // The full port name a list has chosen, empty for none.
    std::string ChosenInput() const;
    std::string ChosenOutput() const;

    // OK: the settings take the choices, then the dialog ends with OK.
    void accept() override;

  private:
    CIniSettings& settings_;
    QComboBox* inputs_ = nullptr;
    QComboBox* outputs_ = nullptr;
};

}  // namespace ostrel
