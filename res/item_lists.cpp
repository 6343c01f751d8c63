#include "res/item_lists.h"

namespace ostrel::res {
namespace {

constexpr const char* kUndefined = "Undefined";

// Names of the controllers that are not "Undefined" or a general purpose controller.
const char* NamedController(int n) {
    switch (n) {
        case 0:
            return "Bank Select";
        case 1:
            return "Modulation wheel";
        case 2:
            return "Breath control ";
        case 4:
            return "Foot controller";
        case 5:
            return "Portamento time";
        case 6:
            return "Data Entry ";
        case 7:
            return "Channel Volume";
        case 8:
            return "Balance";
        case 10:
            return "Pan";
        case 11:
            return "Expression Controller";
        case 12:
            return "Effect control 1 ";
        case 13:
            return "Effect control 2 ";
        case 32:
            return "Bank Select";
        case 33:
            return "Modulation wheel ";
        case 34:
            return "Breath control ";
        case 36:
            return "Foot controller";
        case 37:
            return "Portamento time";
        case 38:
            return "Data entry ";
        case 39:
            return "Channel Volume";
        case 40:
            return "Balance";
        case 42:
            return "Pan";
        case 43:
            return "Expression Controller";
        case 44:
            return "Effect control 1 ";
        case 45:
            return "Effect control 2 ";
        case 64:
            return "Damper pedal on/off (Sustain)";
        case 65:
            return "Portamento on/off";
        case 66:
            return "Sustenuto on/off ";
        case 67:
            return "Soft pedal on/off";
        case 68:
            return "Legato Footswitch";
        case 69:
            return "Hold 2";
        case 70:
            return "Sound Cont. 1 (Sound Variation)";
        case 71:
            return "Sound Cont. 2 (Timbre/Harmonic Intens.)";
        case 72:
            return "Sound Cont. 3 (Release Time) ";
        case 73:
            return "Sound Cont. 4 (Attack Time)";
        case 74:
            return "Sound Cont. 5 (Brightness)";
        case 75:
            return "Sound Cont. 6 (Decay Time)";
        case 76:
            return "Sound Cont. 7 (Vibrato Rate) ";
        case 77:
            return "Sound Cont. 8 (Vibrato Depth)";
        case 78:
            return "Sound Cont. 9 (Vibrato Delay)";
        case 79:
            return "Sound Cont. 10 ";
        case 84:
            return "Portamento Control ";
        case 91:
            return "Reverb Send Level";
        case 92:
            return "Effects 2 Depth (Tremolo Depth)";
        case 93:
            return "Chorus Send Level";
        case 94:
            return "Effects 4 Depth (Celeste/Detune Depth) ";
        case 95:
            return "Effects 5 Depth (Phaser Depth) ";
        case 96:
            return "Data entry +1";
        case 97:
            return "Data entry -1";
        case 98:
            return "Non-Registered Parameter Number LSB";
        case 99:
            return "Non-Registered Parameter Number MSB";
        case 100:
            return "Registered Parameter Number LSB* ";
        case 101:
            return "Registered Parameter Number MSB* ";
        case 120:
            return "All Sound Off";
        case 121:
            return "Reset All Controllers";
        case 122:
            return "Local control on/off";
        case 123:
            return "All notes off";
        case 124:
            return "Omni mode off (+ all notes off)";
        case 125:
            return "Omni mode on (+ all notes off)";
        case 126:
            return "Poly mode on/off (+ all notes off)";
        case 127:
            return "Poly mode on";
        default:
            return nullptr;
    }
}

// General purpose controllers #1..#4 sit at 16..19 and again at 48..51, #5..#8 at 80..83.
const char* GeneralPurpose(int n) {
    static constexpr const char* kNames[8] = {
        "General Purpose Controller #1", "General Purpose Controller #2",
        "General Purpose Controller #3", "General Purpose Controller #4",
        "General Purpose Controller #5", "General Purpose Controller #6",
        "General Purpose Controller #7", "General Purpose Controller #8",
    };
    if (n >= 16 && n <= 19) return kNames[n - 16];
    if (n >= 48 && n <= 51) return kNames[n - 48];
    if (n >= 80 && n <= 83) return kNames[n - 80 + 4];
    return nullptr;
}

}  // namespace

const char* ControllerName(int number) {
    if (const char* name = NamedController(number)) return name;
    if (const char* name = GeneralPurpose(number)) return name;
    return kUndefined;
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
