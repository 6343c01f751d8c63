#include "res/template_dump_receive.h"

#include "res/template_dump_rows.h"

namespace ostrel::res {
namespace {

// The nineteen field boxes: read-only (full contrast, selectable, copyable),
// centred, 42 by 13 units.
constexpr unsigned kFieldFlags = kHScroll | kReadOnly;
constexpr int kFieldWidth = 42;
constexpr int kFieldHeight = 13;

// Column of the eight knob and fader boxes, left to right.
constexpr int kColumnX[kDumpColumns] = {80, 130, 179, 229, 276, 326, 374, 425};
constexpr DumpColumnIds kKnobIds = {1003, 1004, 1005, 1006, 1007, 1008, 1009, 1010};
constexpr DumpColumnIds kFaderIds = {1011, 1012, 1013, 1014, 1015, 1016, 1017, 1018};

constexpr int kItemCount = 48;

constexpr DumpLayout<kItemCount> MakeLayout() {
    DumpLayout<kItemCount> l;
    l.Add({0, ItemKind::GroupBox, "Knob", 3, 12, 468, 39});
    l.Add({0, ItemKind::StaticLeft, "KN 1-8", 7, 35, 32, 10});
    l.AddLabels(kKnobLabels, kColumnX, 22, kFieldWidth);
    l.AddFields(ItemKind::Edit, kKnobIds, kColumnX, 33, kFieldWidth, kFieldHeight, kFieldFlags);

    l.Add({0, ItemKind::GroupBox, "Fader", 3, 56, 468, 41});
    l.Add({0, ItemKind::StaticLeft, "CS 1-8", 7, 77, 27, 15});
    l.Add({0, ItemKind::StaticCenter, "Fader.M", 34, 63, kFieldWidth, 8});
    l.AddLabels(kFaderLabels, kColumnX, 63, kFieldWidth);
    l.Add({1019, ItemKind::Edit, "", 34, 74, kFieldWidth, kFieldHeight, kFieldFlags});
    l.AddFields(ItemKind::Edit, kFaderIds, kColumnX, 74, kFieldWidth, kFieldHeight, kFieldFlags);

    l.Add({0, ItemKind::GroupBox, "", 372, 92, 99, 39});
    l.Add({0, ItemKind::StaticCenter, "Sustain", 375, 102, kFieldWidth, 8});
    l.Add({0, ItemKind::StaticCenter, "B.C.", 427, 102, kFieldWidth, 8});
    l.Add({1020, ItemKind::Edit, "", 375, 114, kFieldWidth, kFieldHeight, kFieldFlags});
    l.Add({1021, ItemKind::Edit, "", 425, 114, kFieldWidth, kFieldHeight, kFieldFlags});

    l.Add({kDumpReceiveText, ItemKind::Edit, "", 3, 102, 366, 69, kMultiline | kBorder | kReadOnly,
           "Message"});
    l.Add({kDumpReceiveNew, ItemKind::PushButton, "New", 374, 137, 42, 14});
    l.Add({kDumpReceiveSaveAs, ItemKind::PushButton, "Save As", 425, 137, 42, 14});
    l.Add({kDumpReceiveOpen, ItemKind::PushButton, "Open", 374, 155, 42, 14});
    l.Add({kDumpReceiveClose, ItemKind::PushButton, "Close", 425, 155, 42, 14});
    return l;
}

constexpr DumpLayout<kItemCount> kLayout = MakeLayout();
static_assert(kLayout.count == kItemCount);

}  // namespace

const DialogTemplate kDumpReceiveTemplate = {
    135,
    "CDumpReceiveDlg",
    "DO Darivu v1.0 beta   -- System Exclusive Receive",
    475,
    178,
    {"MS Sans Serif", 8},
    kLayout.items,
};

}  // namespace ostrel::res
