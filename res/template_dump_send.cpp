#include "res/template_dump_send.h"

#include "res/item_lists.h"
#include "res/template_dump_rows.h"

namespace ostrel::res {
namespace {

// The nineteen field lists: sorted drop-down combos with a vertical scroll bar,
// 42 units wide, dropped height 189 units.
constexpr unsigned kListFlags = kSorted | kVScroll;
constexpr int kListWidth = 42;
constexpr int kListDropHeight = 189;

// Column of the eight knob and fader lists, left to right.
constexpr int kColumnX[kDumpColumns] = {80, 129, 178, 227, 273, 323, 371, 421};
constexpr DumpColumnIds kKnobIds = {1046, 1077, 1078, 1079, 1080, 1081, 1082, 1083};
constexpr DumpColumnIds kFaderIds = {1093, 1094, 1095, 1096, 1097, 1098, 1099, 1100};

constexpr int kItemCount = 51;

constexpr DumpLayout<kItemCount> MakeLayout() {
    DumpLayout<kItemCount> l;
    l.Add({0, ItemKind::GroupBox, "Knob", 4, 12, 464, 39});
    l.Add({0, ItemKind::StaticLeft, "KN 1-8", 7, 35, 32, 11});
    l.AddLabels(kKnobLabels, kColumnX, 22, kListWidth);
    l.AddFields(ItemKind::ComboBox, kKnobIds, kColumnX, 33, kListWidth, kListDropHeight,
                kListFlags);

    l.Add({0, ItemKind::GroupBox, "Fader", 3, 57, 464, 40});
    l.Add({0, ItemKind::StaticLeft, "CS 1-8", 7, 79, 27, 10});
    l.Add({0, ItemKind::StaticCenter, "Fader.M", 34, 65, kListWidth, 8});
    l.AddLabels(kFaderLabels, kColumnX, 65, kListWidth);
    l.Add({1102, ItemKind::ComboBox, "", 34, 77, kListWidth, kListDropHeight, kListFlags});
    l.AddFields(ItemKind::ComboBox, kFaderIds, kColumnX, 76, kListWidth, kListDropHeight,
                kListFlags);

    l.Add({0, ItemKind::GroupBox, "", 368, 92, 99, 40});
    l.Add({0, ItemKind::StaticCenter, "Sustain", 369, 102, kListWidth, 8});
    l.Add({0, ItemKind::StaticCenter, "B.C.", 421, 102, kListWidth, 8});
    l.Add({1104, ItemKind::ComboBox, "", 371, 113, kListWidth, kListDropHeight, kListFlags});
    l.Add({1055, ItemKind::ComboBox, "", 421, 113, kListWidth, kListDropHeight, kListFlags});

    l.Add({kDumpSendText, ItemKind::Edit, "", 4, 102, 360, 102, kMultiline | kBorder | kReadOnly,
           "Message"});
    l.Add({kDumpSendNew, ItemKind::PushButton, "New", 371, 137, 42, 12});
    l.Add({kDumpSendSave, ItemKind::PushButton, "Save", 421, 137, 42, 12});
    l.Add({kDumpSendOpen, ItemKind::PushButton, "Open", 371, 155, 42, 12});
    l.Add({kDumpSendSaveAs, ItemKind::PushButton, "Save As", 421, 155, 42, 12});
    l.Add({kDumpSendSend, ItemKind::PushButton, "Send", 371, 173, 42, 12});
    l.Add({kDumpSendClose, ItemKind::PushButton, "Close", 421, 174, 42, 12});
    l.Add({kDumpSendFileName, ItemKind::Edit, "", 371, 190, 92, 13, kHScroll | kReadOnly,
           "File name"});
    return l;
}

constexpr DumpLayout<kItemCount> kLayout = MakeLayout();
static_assert(kLayout.count == kItemCount);

}  // namespace

const DialogTemplate kDumpSendTemplate = {
    134,
    "CDumpSendDlg",
    "DO Darivu v1.0 beta   -- System Exclusive Send ",
    471,
    208,
    {"MS Sans Serif", 8},
    kLayout.items,
};

QStringList DumpControllerItems() {
    // The main form's controller entries without its "###" and "***" items.
    QStringList items;
    for (int n = 0; n <= 127; ++n) items << ControllerItem(n);
    return items;
}

}  // namespace ostrel::res
