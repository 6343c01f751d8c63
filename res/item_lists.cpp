#include "res/item_lists.h"

namespace ostrel::res {
namespace {

constexpr const char* kUndefined = "Undefined";

// Controller names by number, as the lists show them (some end in a blank).
// clang-format off
constexpr const char* kControllerNames[128] = {
    /*   0 */ "Bank Select",
    /*   1 */ "Modulation wheel",
    /*   2 */ "Breath control ",
    /*   3 */ kUndefined,
    /*   4 */ "Foot controller",
    /*   5 */ "Portamento time",
    /*   6 */ "Data Entry ",
    /*   7 */ "Channel Volume",
    /*   8 */ "Balance",
    /*   9 */ kUndefined,
    /*  10 */ "Pan",
    /*  11 */ "Expression Controller",
    /*  12 */ "Effect control 1 ",
    /*  13 */ "Effect control 2 ",
    /*  14 */ kUndefined,
    /*  15 */ kUndefined,
    /*  16 */ "General Purpose Controller #1",
    /*  17 */ "General Purpose Controller #2",
    /*  18 */ "General Purpose Controller #3",
    /*  19 */ "General Purpose Controller #4",
    /*  20 */ kUndefined,
    /*  21 */ kUndefined,
    /*  22 */ kUndefined,
    /*  23 */ kUndefined,
    /*  24 */ kUndefined,
    /*  25 */ kUndefined,
    /*  26 */ kUndefined,
    /*  27 */ kUndefined,
    /*  28 */ kUndefined,
    /*  29 */ kUndefined,
    /*  30 */ kUndefined,
    /*  31 */ kUndefined,
    /*  32 */ "Bank Select",
    /*  33 */ "Modulation wheel ",
    /*  34 */ "Breath control ",
    /*  35 */ kUndefined,
    /*  36 */ "Foot controller",
    /*  37 */ "Portamento time",
    /*  38 */ "Data entry ",
    /*  39 */ "Channel Volume",
    /*  40 */ "Balance",
    /*  41 */ kUndefined,
    /*  42 */ "Pan",
    /*  43 */ "Expression Controller",
    /*  44 */ "Effect control 1 ",
    /*  45 */ "Effect control 2 ",
    /*  46 */ kUndefined,
    /*  47 */ kUndefined,
    /*  48 */ "General Purpose Controller #1",
    /*  49 */ "General Purpose Controller #2",
    /*  50 */ "General Purpose Controller #3",
    /*  51 */ "General Purpose Controller #4",
    /*  52 */ kUndefined,
    /*  53 */ kUndefined,
    /*  54 */ kUndefined,
    /*  55 */ kUndefined,
    /*  56 */ kUndefined,
    /*  57 */ kUndefined,
    /*  58 */ kUndefined,
    /*  59 */ kUndefined,
    /*  60 */ kUndefined,
    /*  61 */ kUndefined,
    /*  62 */ kUndefined,
    /*  63 */ kUndefined,
    /*  64 */ "Damper pedal on/off (Sustain)",
    /*  65 */ "Portamento on/off",
    /*  66 */ "Sustenuto on/off ",
    /*  67 */ "Soft pedal on/off",
    /*  68 */ "Legato Footswitch",
    /*  69 */ "Hold 2",
    /*  70 */ "Sound Cont. 1 (Sound Variation)",
    /*  71 */ "Sound Cont. 2 (Timbre/Harmonic Intens.)",
    /*  72 */ "Sound Cont. 3 (Release Time) ",
    /*  73 */ "Sound Cont. 4 (Attack Time)",
    /*  74 */ "Sound Cont. 5 (Brightness)",
    /*  75 */ "Sound Cont. 6 (Decay Time)",
    /*  76 */ "Sound Cont. 7 (Vibrato Rate) ",
    /*  77 */ "Sound Cont. 8 (Vibrato Depth)",
    /*  78 */ "Sound Cont. 9 (Vibrato Delay)",
    /*  79 */ "Sound Cont. 10 ",
    /*  80 */ "General Purpose Controller #5",
    /*  81 */ "General Purpose Controller #6",
    /*  82 */ "General Purpose Controller #7",
    /*  83 */ "General Purpose Controller #8",
    /*  84 */ "Portamento Control ",
    /*  85 */ kUndefined,
    /*  86 */ kUndefined,
    /*  87 */ kUndefined,
    /*  88 */ kUndefined,
    /*  89 */ kUndefined,
    /*  90 */ kUndefined,
    /*  91 */ "Reverb Send Level",
    /*  92 */ "Effects 2 Depth (Tremolo Depth)",
    /*  93 */ "Chorus Send Level",
    /*  94 */ "Effects 4 Depth (Celeste/Detune Depth) ",
    /*  95 */ "Effects 5 Depth (Phaser Depth) ",
    /*  96 */ "Data entry +1",
    /*  97 */ "Data entry -1",
    /*  98 */ "Non-Registered Parameter Number LSB",
    /*  99 */ "Non-Registered Parameter Number MSB",
    /* 100 */ "Registered Parameter Number LSB* ",
    /* 101 */ "Registered Parameter Number MSB* ",
    /* 102 */ kUndefined,
    /* 103 */ kUndefined,
    /* 104 */ kUndefined,
    /* 105 */ kUndefined,
    /* 106 */ kUndefined,
    /* 107 */ kUndefined,
    /* 108 */ kUndefined,
    /* 109 */ kUndefined,
    /* 110 */ kUndefined,
    /* 111 */ kUndefined,
    /* 112 */ kUndefined,
    /* 113 */ kUndefined,
    /* 114 */ kUndefined,
    /* 115 */ kUndefined,
    /* 116 */ kUndefined,
    /* 117 */ kUndefined,
    /* 118 */ kUndefined,
    /* 119 */ kUndefined,
    /* 120 */ "All Sound Off",
    /* 121 */ "Reset All Controllers",
    /* 122 */ "Local control on/off",
    /* 123 */ "All notes off",
    /* 124 */ "Omni mode off (+ all notes off)",
    /* 125 */ "Omni mode on (+ all notes off)",
    /* 126 */ "Poly mode on/off (+ all notes off)",
    /* 127 */ "Poly mode on",
};
// clang-format on

}  // namespace

const char* ControllerName(int number) {
    return number >= 0 && number < 128 ? kControllerNames[number] : kUndefined;
}

QString ControllerItem(int number) {
    // Numbers from 100 up have one hyphen, so that the names line up in the list.
    const char* dashes = number < 100 ? "--" : "-";
    return QString::asprintf("%03d     %s%s", number, dashes, ControllerName(number));
}

QStringList ControllerItems() {
    QStringList items = OffDefaultItems();
    for (int n = 0; n <= 127; ++n) items << ControllerItem(n);
    return items;
}

QStringList OffDefaultItems() {
    return {QString::fromLatin1(kOffItem), QString::fromLatin1(kNoChangeItem)};
}

QStringList ChannelItems() {
    QStringList items{QString::fromLatin1(kChannelNoChangeItem)};
    for (int ch = 1; ch <= 16; ++ch) items << QString::asprintf("%03d     --Channel", ch);
    return items;
}

QStringList TransportItems(int number) {
    return {QString::fromLatin1(kNoChangeItem), ControllerItem(number)};
}

QStringList OctaveItems() {
    QStringList items;
    for (int o = 0; o < kTopOctave; ++o)
        items << QString::asprintf("C%d-B%d\t   (%d-%d)", o, o, o * 12, o * 12 + 11);
    items << QString::fromLatin1("C10-G10\t   (120-127)");
    return items;
}

QString CurveItem(int index, const QString& name) {
    return QString::asprintf("%03d     -- ", index) + name;
}

}  // namespace ostrel::res
