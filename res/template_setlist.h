#pragma once
#include "res/dialog_template.h"

namespace ostrel::res {

// Template 150: the setlist dialog (class CSetlistDlg): the scenes' files in
// order, the triggers that switch between them (NEXT and PREV typed or learnt
// from the next message received), Open and Save of the setlist.
extern const DialogTemplate kSetlistTemplate;
inline constexpr int kSetlistFilesId = 1001;
inline constexpr int kSetlistAddId = 1002;
inline constexpr int kSetlistRemoveId = 1003;
inline constexpr int kSetlistUpId = 1004;
inline constexpr int kSetlistDownId = 1005;
inline constexpr int kSetlistProgramId = 1006;
inline constexpr int kSetlistPassId = 1007;
inline constexpr int kSetlistNextId = 1008;
inline constexpr int kSetlistPreviousId = 1009;
inline constexpr int kSetlistOpenId = 1010;
inline constexpr int kSetlistSaveId = 1011;
inline constexpr int kSetlistLearnNextId = 1012;
inline constexpr int kSetlistLearnPreviousId = 1013;
inline constexpr int kSetlistLearningId = 1014;  // "Press the control now" while learning

}  // namespace ostrel::res
