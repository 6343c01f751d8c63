#pragma once
// What the two bulk dump dialogs share: their window frame, the .syx file
// dialogs and the message boxes they show.
#include <QString>

#include "res/ui_seam.h"

class QDialog;
class QWidget;

namespace ostrel {

// Messages of the send dialog.
inline constexpr const char* kSendWriteFailureText = "File Write Failure [1]";
inline constexpr const char* kSendReadFailureText = "File Read Failure [1]";
inline constexpr const char* kPressKeyboardButtonsText = "Press VQ [A.TOUCH] + [DUAL] BUTTON ! ";
// Messages of the receive dialog.
inline constexpr const char* kReceiveWriteFailureText = "File Write Failure [1] !";
inline constexpr const char* kReceiveReadFailureText = "File Read Failure [1] !";
// Both dialogs: a file that does not begin with the dump header.
inline constexpr const char* kFileCommentInvalidText = "File Comment Is Invalidate !";
// Both dialogs: a dump whose hex text does not fit the 256-byte buffers.
inline constexpr const char* kDumpFileTooLongText =
    "File Too Long: a dump of at most 128 bytes can be loaded !";
inline constexpr const char* kDumpTooLongToSaveText =
    "Data Too Long: at most 128 bytes can be saved !";

inline constexpr const char* kSyxFilter = "SysData file (*.syx)|*.syx||";

// Modal frame with caption, system menu and minimize box, and the program's icon.
void SetDumpDialogFrame(QDialog* dialog);

// The save dialog proposes "midi.syx" and asks before replacing a file; the open
// dialog lists "*.syx". Either completes a name typed without extension with "syx".
res::FileChoice ChooseSyxFile(QWidget* parent, bool save);

// A message box with the program's caption and the stop icon.
void ShowDumpError(QWidget* parent, const char* text);

}  // namespace ostrel
