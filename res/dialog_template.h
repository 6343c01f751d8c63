#pragma once
// Dialog templates as data: every item with its id, kind, text and rectangle in
// dialog units. One builder (res/dialog_builder.h) turns a template into widgets.
#include <span>

namespace ostrel::res {

enum class ItemKind {
    PushButton,
    DefaultPushButton,
    StaticLeft,    // static text, left aligned
    StaticCenter,  // static text, centred
    StaticRight,   // static text, right aligned
    GroupBox,
    ComboBox,  // drop-down with an edit field
    ListBox,
    Edit,
    Picture,     // bordered static picture (bitmap)
    CustomArea,  // an empty placeholder that the dialog replaces (curve editor, banner)
};

// Flags of an item.
enum ItemFlag : unsigned {
    kNone = 0,
    kSorted = 1u << 0,  // combo or list keeps its items in text order
    kVScroll = 1u << 1,
    kHScroll = 1u << 2,  // automatic horizontal scrolling (edit)
    kMultiline = 1u << 3,
    kBorder = 1u << 4,
    kDisabled = 1u << 5,
    kReadOnly = 1u << 6,
    kNotify = 1u << 7,
    kDropDownList = 1u << 8,  // combo without an edit field
};

struct DialogItem {
    int id;  // 0 or -1: no id (static labels); otherwise the objectName in decimal
    ItemKind kind;
    const char* text;
    int x, y, width, height;  // dialog units
    unsigned flags = kNone;
    // What a screen reader calls an item that no caption beside it names (a
    // text box, a list, a drawing area, a button whose caption others share);
    // null for items named by their captions.
    const char* name = nullptr;
};

struct DialogFont {
    const char* face;  // the template's font ("MS Sans Serif", "Courier")
    int points;
};

struct DialogTemplate {
    int resourceId;         // 101, 131, ...
    const char* className;  // objectName of the dialog: "CMidiDriverDlg"
    const char* caption;
    int width, height;  // dialog units
    DialogFont font;
    std::span<const DialogItem> items;
};

// Fixed dialog base units: 4 units across are 6 pixels, 8 units down are 13 pixels,
// so every layout has the same pixel size on every machine.
constexpr int DluToPixelsX(int x) { return x * 6 / 4; }
constexpr int DluToPixelsY(int y) { return y * 13 / 8; }

// Height of a closed combo box: a template gives the height of its open list.
inline constexpr int kClosedComboHeightDlu = 12;

}  // namespace ostrel::res
