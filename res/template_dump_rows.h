#pragma once
// What the two bulk dump templates (134 send, 135 receive) share: a knob row and
// a fader row of eight columns, each column a centred label above a field item.
// The templates fill their items at compile time from these rows.
#include "res/dialog_template.h"

namespace ostrel::res {

inline constexpr int kDumpColumns = 8;
inline constexpr const char* kKnobLabels[kDumpColumns] = {"Knob1", "Knob2", "Knob3", "Knob4",
                                                          "Knob5", "Knob6", "Knob7", "Knob8"};
inline constexpr const char* kFaderLabels[kDumpColumns] = {"Fader1", "Fader2", "Fader3", "Fader4",
                                                           "Fader5", "Fader6", "Fader7", "Fader8"};
// Ids of the knob and fader items, Knob1 to Knob8 and Fader1 to Fader8.
using DumpColumnIds = int[kDumpColumns];

// The items of one template, in order.
template <int N>
struct DumpLayout {
    DialogItem items[N]{};
    int count = 0;

    constexpr void Add(const DialogItem& item) { items[count++] = item; }
    // Eight centred labels, one above each column.
    constexpr void AddLabels(const char* const (&texts)[kDumpColumns], const int (&x)[kDumpColumns],
                             int y, int width) {
        for (int c = 0; c < kDumpColumns; ++c)
            Add({0, ItemKind::StaticCenter, texts[c], x[c], y, width, 8});
    }
    // Eight field items of one kind, one in each column.
    constexpr void AddFields(ItemKind kind, const DumpColumnIds& ids, const int (&x)[kDumpColumns],
                             int y, int width, int height, unsigned flags) {
        for (int c = 0; c < kDumpColumns; ++c)
            Add({ids[c], kind, "", x[c], y, width, height, flags});
    }
};

}  // namespace ostrel::res
