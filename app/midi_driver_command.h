#pragma once
class QWidget;

namespace ostrel {

struct AppState;

// The Setup menu's Midi driver command: runs the driver dialog on the system's
// device lists; after OK both ports are reopened with the new indices (the
// pass-through state stays as it was). Returns true for OK.
bool RunMidiDriverDialog(QWidget* parent, AppState& state);

}  // namespace ostrel
