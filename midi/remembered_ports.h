#pragma once
// The chosen devices as Ostrel.ini remembers them (store/settings_keys.h): the
// position in the device list (as it always was) and the port's full name. The
// name wins; a settings file without it falls back to the position in today's
// list (an absent position is 0).
#include <string>
#include <vector>

#include "midi/midi_system.h"
#include "store/ini_settings.h"
#include "store/settings_keys.h"
#include "store/store_result.h"

namespace ostrel {

// The remembered device of a direction among devices (today's list): its full
// name, or empty for none.
std::string ReadRememberedPort(const CIniSettings& settings, PortDirection direction,
                               const std::vector<std::string>& devices);

// Whether settings remember a device of this direction at all: a name, or a
// position of 0 or more. Where they hold neither, the window's list starts on
// its first entry (an absent position reads as 0), but the command line
// connects nothing: it never guesses a port.
bool RemembersPort(const CIniSettings& settings, PortDirection direction);

// Remembers a choice: its position in the list (-1 when not listed) and its name.
StoreResult WriteRememberedPort(CIniSettings& settings, PortDirection direction, int index,
                                const std::string& name);

}  // namespace ostrel
