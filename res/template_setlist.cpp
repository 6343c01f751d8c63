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
    {-1, ItemKind::GroupBox, "Triggers", 7, 124, 246, 50},
    {-1, ItemKind::StaticLeft, "Program change", 14, 138, 56, 9},
    {kSetlistProgramId, ItemKind::ComboBox, "", 72, 136, 80, 120, kDropDownList | kVScroll},
    {-1, ItemKind::StaticLeft, "Pass on", 160, 138, 28, 9},
    {kSetlistPassId, ItemKind::ComboBox, "", 188, 136, 58, 40, kDropDownList},
    {-1, ItemKind::StaticLeft, "Next", 14, 156, 20, 9},
    {kSetlistNextId, ItemKind::Edit, "", 36, 154, 62, 12, kBorder},
    {-1, ItemKind::StaticLeft, "Previous", 106, 156, 34, 9},
    {kSetlistPreviousId, ItemKind::Edit, "", 142, 154, 62, 12, kBorder},
    {kSetlistOpenId, ItemKind::PushButton, "Open...", 7, 181, 50, 14},
    {kSetlistSaveId, ItemKind::PushButton, "Save...", 61, 181, 50, 14},
    {1, ItemKind::DefaultPushButton, "OK", 149, 181, 50, 14},
    {2, ItemKind::PushButton, "Cancel", 203, 181, 50, 14},
};

}  // namespace

const DialogTemplate kSetlistTemplate = {
    150, "CSetlistDlg", "DO Darivu v1.0 beta   --  Setlist", 260, 202, {"MS Sans Serif", 8}, kItems,
};

}  // namespace ostrel::res
