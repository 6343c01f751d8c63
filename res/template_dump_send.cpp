#include "res/template_dump_send.h"

#include "res/item_lists.h"

namespace ostrel::res {
namespace {

// The nineteen field lists: sorted drop-down combos with a vertical scroll bar,
// 42 units wide, dropped height 189 units.
constexpr unsigned kListFlags = kSorted | kVScroll;
constexpr int kListWidth = 42;
constexpr int kListDropHeight = 189;

// Column of the eight knob and fader lists, left to right.
constexpr int kColumnX[8] = {80, 129, 178, 227, 273, 323, 371, 421};

constexpr DialogItem kItems[] = {
    {0, ItemKind::GroupBox, "Knob", 4, 12, 464, 39},
    {0, ItemKind::StaticLeft, "KN 1-8", 7, 35, 32, 11},
    {0, ItemKind::StaticCenter, "Knob1", kColumnX[0], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob2", kColumnX[1], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob3", kColumnX[2], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob4", kColumnX[3], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob5", kColumnX[4], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob6", kColumnX[5], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob7", kColumnX[6], 22, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Knob8", kColumnX[7], 22, kListWidth, 8},
    {1046, ItemKind::ComboBox, "", kColumnX[0], 33, kListWidth, kListDropHeight, kListFlags},
    {1077, ItemKind::ComboBox, "", kColumnX[1], 33, kListWidth, kListDropHeight, kListFlags},
    {1078, ItemKind::ComboBox, "", kColumnX[2], 33, kListWidth, kListDropHeight, kListFlags},
    {1079, ItemKind::ComboBox, "", kColumnX[3], 33, kListWidth, kListDropHeight, kListFlags},
    {1080, ItemKind::ComboBox, "", kColumnX[4], 33, kListWidth, kListDropHeight, kListFlags},
    {1081, ItemKind::ComboBox, "", kColumnX[5], 33, kListWidth, kListDropHeight, kListFlags},
    {1082, ItemKind::ComboBox, "", kColumnX[6], 33, kListWidth, kListDropHeight, kListFlags},
    {1083, ItemKind::ComboBox, "", kColumnX[7], 33, kListWidth, kListDropHeight, kListFlags},

    {0, ItemKind::GroupBox, "Fader", 3, 57, 464, 40},
    {0, ItemKind::StaticLeft, "CS 1-8", 7, 79, 27, 10},
    {0, ItemKind::StaticCenter, "Fader.M", 34, 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader1", kColumnX[0], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader2", kColumnX[1], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader3", kColumnX[2], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader4", kColumnX[3], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader5", kColumnX[4], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader6", kColumnX[5], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader7", kColumnX[6], 65, kListWidth, 8},
    {0, ItemKind::StaticCenter, "Fader8", kColumnX[7], 65, kListWidth, 8},
    {1102, ItemKind::ComboBox, "", 34, 77, kListWidth, kListDropHeight, kListFlags},
    {1093, ItemKind::ComboBox, "", kColumnX[0], 76, kListWidth, kListDropHeight, kListFlags},
    {1094, ItemKind::ComboBox, "", kColumnX[1], 76, kListWidth, kListDropHeight, kListFlags},
    {1095, ItemKind::ComboBox, "", kColumnX[2], 76, kListWidth, kListDropHeight, kListFlags},
    {1096, ItemKind::ComboBox, "", kColumnX[3], 76, kListWidth, kListDropHeight, kListFlags},
    {1097, ItemKind::ComboBox, "", kColumnX[4], 76, kListWidth, kListDropHeight, kListFlags},
    {1098, ItemKind::ComboBox, "", kColumnX[5], 76, kListWidth, kListDropHeight, kListFlags},
    {1099, ItemKind::ComboBox, "", kColumnX[6], 76, kListWidth, kListDropHeight, kListFlags},
    {1100, ItemKind::ComboBox, "", kColumnX[7], 76, kListWidth, kListDropHeight, kListFlags},

    {0, ItemKind::GroupBox, "", 368, 92, 99, 40},
    {0, ItemKind::StaticCenter, "Sustain", 369, 102, kListWidth, 8},
    {0, ItemKind::StaticCenter, "B.C.", 421, 102, kListWidth, 8},
    {1104, ItemKind::ComboBox, "", 371, 113, kListWidth, kListDropHeight, kListFlags},
    {1055, ItemKind::ComboBox, "", 421, 113, kListWidth, kListDropHeight, kListFlags},

    {kDumpSendText, ItemKind::Edit, "", 4, 102, 360, 102, kMultiline | kBorder | kDisabled},
    {kDumpSendNew, ItemKind::PushButton, "New", 371, 137, 42, 12},
    {kDumpSendSave, ItemKind::PushButton, "Save", 421, 137, 42, 12},
    {kDumpSendOpen, ItemKind::PushButton, "Open", 371, 155, 42, 12},
    {kDumpSendSaveAs, ItemKind::PushButton, "Save As", 421, 155, 42, 12},
    {kDumpSendSend, ItemKind::PushButton, "Send", 371, 173, 42, 12},
    {kDumpSendClose, ItemKind::PushButton, "Close", 421, 174, 42, 12},
    {kDumpSendFileName, ItemKind::Edit, "", 371, 190, 92, 13, kHScroll | kDisabled},
};

}  // namespace

const DialogTemplate kDumpSendTemplate = {
    134,
    "CDumpSendDlg",
    "DO Darivu v1.0 beta   -- System Exclusive Send ",
    471,
    208,
    {"MS Sans Serif", 8},
    kItems,
};

QStringList DumpControllerItems() {
    // The main form's controller entries without its "###" and "***" items.
    QStringList items;
    for (int n = 0; n <= 127; ++n) items << ControllerItem(n);
    return items;
}

}  // namespace ostrel::res
