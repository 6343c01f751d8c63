#include "res/template_main_form.h"

#include <array>

namespace ostrel::res {
namespace {

using K = ItemKind;
constexpr unsigned kSortedCombo = kSorted | kVScroll;
constexpr int W = kFormComboWidth;
constexpr int H = kFormComboListHeight;

// Labels have no id; combos and buttons carry theirs as the widget's objectName.
constexpr DialogItem Label(const char* text, int x, int y, int width, K kind = K::StaticCenter) {
    return {-1, kind, text, x, y, width, 8};
}
constexpr DialogItem Combo(int id, int x, int y, unsigned flags = kSortedCombo) {
    return {id, K::ComboBox, "", x, y, W, H, flags};
}
constexpr DialogItem Group(const char* text, int x, int y, int width, int height) {
    return {-1, K::GroupBox, text, x, y, width, height};
}
constexpr DialogItem Button(int id, const char* text, int x, int y, int width, int height) {
    return {id, K::PushButton, text, x, y, width, height};
}

// Column x of the faders 1..8 and of the knobs 1..7, Tempo.
constexpr int FaderX(int n) { return 108 + 50 * (n - 1); }
constexpr int KnobX(int n) { return 107 + 50 * (n - 1); }

constexpr std::array kItems = {
    // Knob
    Group("Knob", 4, 5, 510, 39),
    Label("Default Controller", 12, 25, 88, K::StaticLeft),
    Label("Knob1", KnobX(1), 13, W),
    Label("Knob2", KnobX(2), 13, W),
    Label("Knob3", KnobX(3), 13, W),
    Label("Knob4", KnobX(4), 13, W),
    Label("Knob5", KnobX(5), 13, W),
    Label("Knob6", KnobX(6), 13, W),
    Label("Knob7", KnobX(7), 13, W),
    Label("Tempo", 457, 13, W),
    Combo(1046, KnobX(1), 23),
    Combo(1077, KnobX(2), 23),
    Combo(1078, KnobX(3), 23),
    Combo(1079, KnobX(4), 23),
    Combo(1080, KnobX(5), 23),
    Combo(1081, KnobX(6), 23),
    Combo(1082, KnobX(7), 23),
    Combo(1083, 457, 23),
    // Fader: three rows of nine, the column labels over the first row only
    Group("Fader", 4, 50, 510, 75),
    Label("VOL  1-8", 12, 67, 44, K::StaticLeft),
    Label("VOL  9-16", 12, 85, 44, K::StaticLeft),
    Label("DRAWBAR", 12, 102, 44, K::StaticLeft),
    Label("Fader.M", 60, 56, W),
    Label("Fader1", FaderX(1), 56, W),
    Label("Fader2", FaderX(2), 56, W),
    Label("Fader3", FaderX(3), 56, W),
    Label("Fader4", FaderX(4), 56, W),
    Label("Fader5", FaderX(5), 56, W),
    Label("Fader6", FaderX(6), 56, W),
    Label("Fader7", FaderX(7), 56, W),
    Label("Fader8", FaderX(8), 56, W),
    Combo(1084, 60, 65),
    Combo(1019, FaderX(1), 65),
    Combo(1020, FaderX(2), 65),
    Combo(1021, FaderX(3), 65),
    Combo(1022, FaderX(4), 65),
    Combo(1023, FaderX(5), 65),
    Combo(1024, FaderX(6), 65),
    Combo(1025, FaderX(7), 65),
    Combo(1026, FaderX(8), 65),
    Combo(1043, 59, 83),
    Combo(1027, FaderX(1), 83),
    Combo(1028, FaderX(2), 83),
    Combo(1029, FaderX(3), 83),
    Combo(1030, FaderX(4), 83),
    Combo(1031, FaderX(5), 83),
    Combo(1032, FaderX(6), 83),
    Combo(1033, FaderX(7), 83),
    Combo(1034, FaderX(8), 83),
    Combo(1044, 59, 100),
    Combo(1035, FaderX(1), 100),
    Combo(1036, FaderX(2), 100),
    Combo(1037, FaderX(3), 100),
    Combo(1038, FaderX(4), 100),
    Combo(1039, FaderX(5), 100),
    Combo(1040, FaderX(6), 100),
    Combo(1041, FaderX(7), 100),
    Combo(1042, FaderX(8), 100),
    // SEQ REMOTE
    Group("SEQ REMOTE", 4, 131, 150, 75),
    Label("RTZ", 11, 143, W),
    Label("REW", 58, 143, W),
    Label("FF", 105, 143, W),
    Label("REC", 11, 172, W),
    Label("STOP", 57, 172, W),
    Label("PLAY", 105, 172, W),
    Combo(1085, 11, 153),
    Combo(1086, 58, 153),
    Combo(1087, 105, 153),
    Combo(1088, 11, 182),
    Combo(1089, 57, 182),
    Combo(1090, 105, 182),
    // Wheel
    Group("Wheel", 158, 131, 55, 75),
    Label("PitchBend", 162, 143, W),
    Label("Modulation", 162, 167, W),
    Combo(1051, 162, 153),
    Combo(1052, 162, 177),
    // External Controller
    Group("External Controller", 217, 131, 92, 75),
    Label("Sustain", 221, 148, 35, K::StaticLeft),
    Label("Control", 221, 167, 35, K::StaticLeft),
    Label("B.C", 221, 186, 35, K::StaticLeft),
    Combo(1054, 258, 146),
    Combo(1053, 258, 165),
    Combo(1055, 258, 184),
    // System Exclusive
    Group("System Exclusive", 313, 131, 88, 75),
    Label("GM ON", 317, 148, 32, K::StaticLeft),
    Label("XG ON", 317, 167, 32, K::StaticLeft),
    Label("GS ON", 317, 186, 32, K::StaticLeft),
    Combo(1057, 350, 146),
    Combo(1056, 350, 165),
    Combo(1058, 350, 184),
    // System
    Group("System", 404, 131, 54, 75),
    Label("Active", 407, 143, W),
    Label("Channel", 407, 167, W),
    Combo(1059, 407, 153),
    Combo(1060, 407, 177),
    // Bulk Dump
    Group("Bulk Dump", 460, 131, 54, 75),
    Button(kIdBulkSend, "Send", 466, 149, 42, 16),
    Button(kIdBulkReceive, "Receive", 466, 176, 42, 16),
    // Keys: sharps in the upper row under their labels, naturals below above theirs
    Group("Keys", 3, 213, 398, 75),
    Label("Key Octave", 11, 247, W),
    Combo(1076, 11, 257, kVScroll),
    Label("C#", 81, 228, W),
    Label("D#", 129, 228, W),
    Label("F#", 231, 228, W),
    Label("G#", 280, 228, W),
    Label("A#", 328, 228, W),
    Combo(1074, 81, 238),
    Combo(1075, 129, 238),
    Combo(1071, 231, 238),
    Combo(1072, 280, 238),
    Combo(1073, 328, 238),
    Combo(1045, 59, 257),
    Combo(1061, 107, 257),
    Combo(1062, 155, 257),
    Combo(1064, 203, 257),
    Combo(1065, 252, 257),
    Combo(1066, 300, 257),
    Combo(1067, 348, 257),
    Label("C", 59, 272, W),
    Label("D", 107, 272, W),
    Label("E", 155, 272, W),
    Label("F", 203, 272, W),
    Label("G", 252, 272, W),
    Label("A", 300, 272, W),
    Label("B", 348, 272, W),
    // Curve
    Group("Curve", 404, 213, 110, 75),
    Button(kIdVelocityCurveButton, "V.Curve", 410, 233, 47, 14),
    Combo(1069, 461, 234),
    Button(kIdTouchCurveButton, "A.Touch", 410, 257, 47, 14),
    Combo(1070, 461, 258),
    // Pass-through buttons
    Group("", 4, 292, 150, 49),
    Button(kIdStart, "Start", 11, 306, 40, 24),
    Button(kIdStop, "Stop", 58, 306, 40, 24),
    Button(kIdMonitor, "Monitor", 105, 306, 42, 24),
    Button(kIdPanic, "Panic", 160, 306, 42, 24),
    // Banner area
    DialogItem{kIdBanner, K::CustomArea, "", 206, 296, 305, 43},
};

static_assert(kItems.size() == 136, "form template 101 has 136 items");

constexpr DialogTemplate kTemplate{
    101, "COstrelView", "", 515, 342, {"MS Sans Serif", 8}, std::span<const DialogItem>(kItems),
};

}  // namespace

const DialogTemplate& MainFormTemplate() { return kTemplate; }

}  // namespace ostrel::res
