#pragma once
// Dialog template 135: the bulk dump receive dialog.
#include "res/dialog_template.h"

namespace ostrel::res {

extern const DialogTemplate kDumpReceiveTemplate;

// Ids of the receive dialog's items other than the nineteen field boxes (their
// ids come with the dump's field table).
enum DumpReceiveItem : int {
    kDumpReceiveNew = 3,
    kDumpReceiveSaveAs = 4,
    kDumpReceiveOpen = 5,
    kDumpReceiveClose = 8,
    kDumpReceiveText = 1046,
};

}  // namespace ostrel::res
