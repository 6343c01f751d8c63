#pragma once
// The MIDI driver setting dialog (template 131): one list of input devices, one
// of output devices, the other clients' MIDI ports by full name, each entry
// "%02d:%s" of its position and name. The remembered device is selected even
// while its port is absent (listed as "--:" and its name). OK takes the two
// choices into the settings file (DEVNAME: MIDIIN, MIDIINNAME, then MIDIOUT,
// MIDIOUTNAME), text typed into a list choosing the port it names; Cancel
// changes nothing. A line under the lists says which MIDI system the ports
// belong to, or, when there is none, why.
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

    // OK: text typed into a list chooses the port it names (its entry, its full
    // name, or a part of the name that only it has; an emptied field: none).
    // Text that names no port, or several, is refused with a message and the
    // dialog stays open, changing nothing. Otherwise the settings take the
    // choices, then the dialog ends with OK.
    void accept() override;

  private:
    // Turns the text of list's edit field into the entry it names; false, after
    // saying so, when it names none.
    bool TakeTypedChoice(QComboBox* list, const char* direction);

    CIniSettings& settings_;
    QComboBox* inputs_ = nullptr;
    QComboBox* outputs_ = nullptr;
};

}  // namespace ostrel
