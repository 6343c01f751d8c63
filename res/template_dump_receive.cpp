#include "res/template_dump_receive.h"

namespace ostrel::res {
namespace {

// The nineteen field boxes: display only, centred, 42 by 13 units.
constexpr unsigned kFieldFlags = kHScroll | kDisabled;
constexpr int kFieldWidth = 42;
constexpr int kFieldHeight = 13;

// Column of the eight knob and fader boxes, left to right.
constexpr int kColumnX[8] = {80, 130, 179, 229, 276, 326, 374, 425};

constexpr DialogItem kItems[] = {
    {0, ItemKind::GroupBox, "Knob", 3, 12, 468, 39},
    {0, ItemKind::StaticLeft, "KN 1-8", 7, 35, 32, 10},
    {0, ItemKind::StaticCenter, "Knob1", kColumnX[0], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob2", kColumnX[1], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob3", kColumnX[2], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob4", kColumnX[3], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob5", kColumnX[4], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob6", kColumnX[5], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob7", kColumnX[6], 22, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Knob8", kColumnX[7], 22, kFieldWidth, 8},
    {1003, ItemKind::Edit, "", kColumnX[0], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1004, ItemKind::Edit, "", kColumnX[1], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1005, ItemKind::Edit, "", kColumnX[2], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1006, ItemKind::Edit, "", kColumnX[3], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1007, ItemKind::Edit, "", kColumnX[4], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1008, ItemKind::Edit, "", kColumnX[5], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1009, ItemKind::Edit, "", kColumnX[6], 33, kFieldWidth, kFieldHeight, kFieldFlags},
    {1010, ItemKind::Edit, "", kColumnX[7], 33, kFieldWidth, kFieldHeight, kFieldFlags},

    {0, ItemKind::GroupBox, "Fader", 3, 56, 468, 41},
    {0, ItemKind::StaticLeft, "CS 1-8", 7, 77, 27, 15},
    {0, ItemKind::StaticCenter, "Fader.M", 34, 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader1", kColumnX[0], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader2", kColumnX[1], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader3", kColumnX[2], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader4", kColumnX[3], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader5", kColumnX[4], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader6", kColumnX[5], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader7", kColumnX[6], 63, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "Fader8", kColumnX[7], 63, kFieldWidth, 8},
    {1019, ItemKind::Edit, "", 34, 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1011, ItemKind::Edit, "", kColumnX[0], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1012, ItemKind::Edit, "", kColumnX[1], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1013, ItemKind::Edit, "", kColumnX[2], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1014, ItemKind::Edit, "", kColumnX[3], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1015, ItemKind::Edit, "", kColumnX[4], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1016, ItemKind::Edit, "", kColumnX[5], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1017, ItemKind::Edit, "", kColumnX[6], 74, kFieldWidth, kFieldHeight, kFieldFlags},
    {1018, ItemKind::Edit, "", kColumnX[7], 74, kFieldWidth, kFieldHeight, kFieldFlags},

    {0, ItemKind::GroupBox, "", 372, 92, 99, 39},
    {0, ItemKind::StaticCenter, "Sustain", 375, 102, kFieldWidth, 8},
    {0, ItemKind::StaticCenter, "B.C.", 427, 102, kFieldWidth, 8},
    {1020, ItemKind::Edit, "", 375, 114, kFieldWidth, kFieldHeight, kFieldFlags},
    {1021, ItemKind::Edit, "", 425, 114, kFieldWidth, kFieldHeight, kFieldFlags},

    {kDumpReceiveText, ItemKind::Edit, "", 3, 102, 366, 69, kMultiline | kBorder | kDisabled},
    {kDumpReceiveNew, ItemKind::PushButton, "New", 374, 137, 42, 14},
    {kDumpReceiveSaveAs, ItemKind::PushButton, "Save As", 425, 137, 42, 14},
    {kDumpReceiveOpen, ItemKind::PushButton, "Open", 374, 155, 42, 14},
    {kDumpReceiveClose, ItemKind::PushButton, "Close", 425, 155, 42, 14},
};

}  // namespace

const DialogTemplate kDumpReceiveTemplate = {
    135,
    "CDumpReceiveDlg",
    "DO Darivu v1.0 beta   -- System Exclusive Receive",
    475,
    178,
    {"MS Sans Serif", 8},
    kItems,
};

}  // namespace ostrel::res
