#include "app/midi_driver_command.h"

#include "app/app_state.h"
#include "midi/gui/midi_driver_dlg.h"
#include "midi/port_keeper.h"

namespace ostrel {

bool RunMidiDriverDialog(QWidget* parent, AppState& state) {
    PortKeeper& ports = *state.ports;
    CMidiDriverDlg::Lists lists;
    lists.inputs = ports.Devices(PortDirection::Input);
    lists.outputs = ports.Devices(PortDirection::Output);
    lists.chosenInput = ports.Chosen(PortDirection::Input);
    lists.chosenOutput = ports.Chosen(PortDirection::Output);
    if (!ports.Online()) lists.problem = state.midiProblem;
    lists.system = ports.SystemName();
    // The connections stay as they are while the dialog is shown.
    CMidiDriverDlg dlg(lists, state.settings, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    ports.Choose(PortDirection::Input, dlg.ChosenInput());
    ports.Choose(PortDirection::Output, dlg.ChosenOutput());
    return true;
}

}  // namespace ostrel
