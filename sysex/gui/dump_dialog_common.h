#pragma once
// What the two bulk dump dialogs share: their window frame, the message text
// with its display box, the start of each opening, and the .syx file handling
// with the messages it shows.
#include <QDialog>
#include <QString>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "core/assignment_table.h"
#include "res/dialog_template.h"
#include "res/message_box_seam.h"

class QPlainTextEdit;

namespace ostrel {

class DumpMeaningView;

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

// The two dialogs word their file failures differently.
struct DumpFileMessages {
    const char* readFailure;
    const char* writeFailure;
};
inline constexpr DumpFileMessages kSendFileMessages{kSendReadFailureText, kSendWriteFailureText};
inline constexpr DumpFileMessages kReceiveFileMessages{kReceiveReadFailureText,
                                                       kReceiveWriteFailureText};

// The save dialog proposes "midi.syx" and asks before replacing a file; the open
// dialog lists "*.syx". Either completes a name typed without extension with "syx".
res::FileChoice ChooseSyxFile(QWidget* parent, bool save);

// A message box with the program's caption and the stop icon.
void ShowDumpError(QWidget* parent, const char* text);

// Base of the send and receive dialogs: built from its template, a modal frame
// with caption, system menu and minimize box and the program's icon, and the
// message text shown in a display-only box.
class CDumpDialog : public QDialog {
    Q_OBJECT
  public:
    // The message as shown: two hex digits and a blank per byte.
    const std::string& MessageText() const { return text_; }

    // Where the "What Ostrel does with it" view finds the table in force.
    void SetTableSource(std::function<const AssignmentTable&()> source);

  protected:
    CDumpDialog(const res::DialogTemplate& tmpl, int textBoxId, const DumpFileMessages& messages,
                QWidget* parent);

    // Runs at every opening; not when the window comes back from being minimised.
    virtual void OnInitDialog() = 0;
    void showEvent(QShowEvent* event) override;

    // Shows the message text, and what the dump means for the table.
    void ShowText();

    // Asks for a .syx file and reads it. True with the chosen file and its bytes
    // when it holds a dump that fits the 256-byte buffers; a file that cannot be
    // read (named, with the reason), lacks the dump header or is too long is
    // refused with its message. A pipe or a device is refused, never waited on.
    bool OpenDumpFile(res::FileChoice& choice, std::vector<uint8_t>& bytes);
    // Writes the bytes of the message text to path; the old file stays intact
    // until the new content is completely written. A failure is reported with the
    // file and the reason; a pipe or a device is refused, never replaced.
    void WriteDumpFile(const QString& chosen);

    std::string text_;
    DumpMeaningView* meaning_ = nullptr;

  private:
    QPlainTextEdit* textBox_ = nullptr;
    const DumpFileMessages& messages_;
};

}  // namespace ostrel
