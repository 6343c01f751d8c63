#pragma once
#include "res/dialog_template.h"

namespace ostrel::res {

// Template 131: the MIDI driver setting dialog (class CMidiDriverDlg).
extern const DialogTemplate kMidiDriverTemplate;
inline constexpr int kMidiInListId = 1003;
inline constexpr int kMidiOutListId = 1004;

}  // namespace ostrel::res
