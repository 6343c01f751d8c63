#pragma once
// Dialog template 134: the bulk dump send dialog, and the 128 entries of its
// nineteen field lists.
#include <QStringList>

#include "res/dialog_template.h"

namespace ostrel::res {

extern const DialogTemplate kDumpSendTemplate;

// Ids of the send dialog's items other than the field lists (the field lists'
// ids come with the dump's field table).
enum DumpSendItem : int {
    kDumpSendNew = 3,
    kDumpSendSave = 4,
    kDumpSendOpen = 5,
    kDumpSendSend = 6,
    kDumpSendSaveAs = 7,
    kDumpSendClose = 8,
    kDumpSendFileName = 1101,
    kDumpSendText = 1103,
};

// Pixel width of a field list while it is open.
inline constexpr int kDumpListOpenWidth = 300;

// The entries of every field list, one per controller number n from 0 to 127 in
// that order: "000     --Bank Select" ... "127     -Poly mode on".
QStringList DumpControllerItems();

}  // namespace ostrel::res
