#pragma once
// What the window says about files: a path kept as the bytes the system gave,
// decoded only where it is shown, and the one way a file problem is told.
#include <QFile>
#include <QString>
#include <QWidget>
#include <string>

#include "res/app_resources.h"
#include "res/message_box_seam.h"
#include "res/path_bytes.h"
#include "store/display_text.h"

namespace ostrel::file_texts {

// An error about a file, in a message box with the program's caption.
inline void ShowError(QWidget* owner, const QString& text) {
    res::Ui().Message(owner, text, QString::fromLatin1(res::kAppCaption), res::MsgButtons::Ok,
                      res::MsgIcon::Error);
}

// A path or file name as shown (Windows-1252 where the bytes are not UTF-8, as
// in the title).
inline QString Shown(const std::string& bytes) {
    return QString::fromStdString(DisplayText(bytes));
}

// What a file dialog chose, as the bytes the file calls take (names that are
// not UTF-8 included).
inline std::string Bytes(const QString& chosen) { return res::PathBytes(chosen); }

}  // namespace ostrel::file_texts
