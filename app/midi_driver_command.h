#pragma once
class QWidget;

namespace ostrel {

struct AppState;

// The Setup menu's Midi driver command: runs the driver dialog on the MIDI
// graph's ports; after OK both choices become Ostrel's connections (the
// pass-through state stays as it was). Returns true for OK.
bool RunMidiDriverDialog(QWidget* parent, AppState& state);

}  // namespace ostrel
