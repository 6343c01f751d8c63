#include "app/midi_driver_command.h"

#include "app/app_state.h"
#include "midi/gui/midi_driver_dlg.h"
#include "midi/midi_services.h"
#include "midi/pass_through.h"

namespace ostrel {

bool RunMidiDriverDialog(QWidget* parent, AppState& state) {
    // The ports stay open on the old devices while the dialog is shown.
    CMidiDriverDlg dlg(state.midi->InputDeviceNames(), state.midi->OutputDeviceNames(),
                       state.devices, state.settings, parent);
    if (dlg.exec() != QDialog::Accepted) return false;
    state.passThrough->ReopenBoth(state.devices.input, state.devices.output);
    return true;
}

}  // namespace ostrel
