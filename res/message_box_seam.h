#pragma once
// Message boxes and file dialogs go through this one seam, so that tests can
// answer them. The default implementation shows real Qt dialogs.
#include <QString>

class QWidget;

namespace ostrel::res {

enum class MsgButtons { Ok, YesNo };
enum class MsgIcon { None, Stop, Error, Information };
enum class MsgResult { Ok, Yes, No };

struct FileDialogSpec {
    bool save = false;         // save dialog (asks before replacing a file) or open dialog
    QString filter;            // "config file (*.cfg)|*.cfg||" form
    QString defaultExtension;  // "cfg": completes a name typed without one
    QString initialName;       // "midi.cfg" or "*.cfg"
};

struct FileChoice {
    bool ok = false;   // false: cancelled
    QString fullPath;  // with directory
    QString fileName;  // without directory
};

class UiSeam {
  public:
    virtual ~UiSeam() = default;
    virtual MsgResult Message(QWidget* parent, const QString& text, const QString& caption,
                              MsgButtons buttons, MsgIcon icon) = 0;
    virtual FileChoice ChooseFile(QWidget* parent, const FileDialogSpec& request) = 0;
};

// The seam in force; tests install their own with SetUi (nullptr restores Qt's).
UiSeam& Ui();
void SetUi(UiSeam* seam);

// Caption of the program's message boxes.
inline const char* kAppCaption = "DO Darivu v1.0 beta";

}  // namespace ostrel::res
