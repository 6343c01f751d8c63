#include "res/template_midi_driver.h"

namespace ostrel::res {
namespace {

const DialogItem kItems[] = {
    {1, ItemKind::DefaultPushButton, "OK", 69, 74, 50, 14},
    {2, ItemKind::PushButton, "Cancel", 141, 74, 50, 14},
    {-1, ItemKind::StaticLeft, "MIDI IN DEVICE", 7, 18, 61, 9},
    {-1, ItemKind::StaticLeft, "MIDI OUT DEVICE", 7, 49, 61, 9},
    {kMidiInListId, ItemKind::ComboBox, "", 69, 15, 123, 93, kSorted | kVScroll},
    {kMidiOutListId, ItemKind::ComboBox, "", 69, 46, 123, 93, kSorted | kVScroll},
};

}  // namespace

const DialogTemplate kMidiDriverTemplate = {
    131,
    "CMidiDriverDlg",
    "DO Darivu v1.0 beta   --  Midi Driver Setting",
    215,
    106,
    {"MS Sans Serif", 8},
    kItems,
};

}  // namespace ostrel::res
