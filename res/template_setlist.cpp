#include "res/template_setlist.h"

namespace ostrel::res {
namespace {

const DialogItem kItems[] = {
    {-1, ItemKind::StaticLeft, "Scenes, in the order they are played", 7, 7, 180, 9},
    {kSetlistFilesId, ItemKind::ListBox, "", 7, 18, 180, 100, kVScroll | kBorder, "Scenes"},
    {kSetlistAddId, ItemKind::PushButton, "Add...", 194, 18, 58, 14},
    {kSetlistRemoveId, ItemKind::PushButton, "Remove", 194, 36, 58, 14},
    {kSetlistUpId, ItemKind::PushButton, "Up", 194, 54, 58, 14},
    {kSetlistDownId, ItemKind::PushButton, "Down", 194, 72, 58, 14},
    {-1, ItemKind::GroupBox, "Triggers", 7, 124, 246, 62},
    {-1, ItemKind::StaticLeft, "Program change", 14, 138, 56, 9},
    {kSetlistProgramId, ItemKind::ComboBox, "", 72, 136, 80, 120, kDropDownList | kVScroll},
    {-1, ItemKind::StaticLeft, "Pass on", 160, 138, 28, 9},
    {kSetlistPassId, ItemKind::ComboBox, "", 188, 136, 58, 40, kDropDownList},
    {-1, ItemKind::StaticLeft, "Next", 14, 156, 20, 9},
    {kSetlistNextId, ItemKind::Edit, "", 36, 154, 52, 12, kBorder},
    {kSetlistLearnNextId, ItemKind::PushButton, "Learn", 91, 153, 30, 14, kNone,
     "Learn the next trigger"},
    {-1, ItemKind::StaticLeft, "Previous", 128, 156, 32, 9},
    {kSetlistPreviousId, ItemKind::Edit, "", 162, 154, 52, 12, kBorder},
    {kSetlistLearnPreviousId, ItemKind::PushButton, "Learn", 217, 153, 30, 14, kNone,
     "Learn the previous trigger"},
    {kSetlistLearningId, ItemKind::StaticLeft, "", 14, 172, 232, 9, kNone, "Learn status"},
    {kSetlistOpenId, ItemKind::PushButton, "Open...", 7, 193, 50, 14},
    {kSetlistSaveId, ItemKind::PushButton, "Save...", 61, 193, 50, 14},
    {1, ItemKind::DefaultPushButton, "OK", 149, 193, 50, 14},
    {2, ItemKind::PushButton, "Cancel", 203, 193, 50, 14},
};

}  // namespace

const DialogTemplate kSetlistTemplate = {
    150, "CSetlistDlg", "DO Darivu v1.0 beta   --  Setlist", 260, 214, {"MS Sans Serif", 8}, kItems,
};

}  // namespace ostrel::res
