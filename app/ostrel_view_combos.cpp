#include "app/ostrel_view_combos.h"

#include <array>
#include <cstdlib>

#include "core/code_rule.h"
#include "res/item_lists.h"

namespace ostrel {
namespace {

using L = ComboList;
using R = ComboRole;
using E = Entry;

constexpr FormCombo Ctl(int id, Entry e) { return {id, L::Controller, R::Entry, e, -1}; }
constexpr FormCombo OffDef(int id, Entry e) { return {id, L::OffDefault, R::Entry, e, -1}; }
constexpr FormCombo Transport(int id, Entry e) { return {id, L::Transport, R::Entry, e, -1}; }
constexpr FormCombo Master(int id) { return {id, L::Controller, R::MasterFader, E::VOLM, -1}; }
constexpr FormCombo Key(int id, int k) { return {id, L::Controller, R::Key, E::KNOB01, k}; }
constexpr FormCombo Curve(int id, Entry e) { return {id, L::Curves, R::Curve, e, -1}; }

constexpr std::array<FormCombo, kFormComboCount> kCombos = {{
    // Knob
    Ctl(1046, E::KNOB01),
    Ctl(1077, E::KNOB02),
    Ctl(1078, E::KNOB03),
    Ctl(1079, E::KNOB04),
    Ctl(1080, E::KNOB05),
    Ctl(1081, E::KNOB06),
    Ctl(1082, E::KNOB07),
    OffDef(1083, E::KNOB08),
    // Fader, row "VOL  1-8"
    Master(kIdMasterFaderUpper),
    Ctl(1019, E::VOL01),
    Ctl(1020, E::VOL02),
    Ctl(1021, E::VOL03),
    Ctl(1022, E::VOL04),
    Ctl(1023, E::VOL05),
    Ctl(1024, E::VOL06),
    Ctl(1025, E::VOL07),
    Ctl(1026, E::VOL08),
    // Fader, row "VOL  9-16"
    Master(kIdMasterFaderLower),
    Ctl(1027, E::VOL09),
    Ctl(1028, E::VOL10),
    Ctl(1029, E::VOL11),
    Ctl(1030, E::VOL12),
    Ctl(1031, E::VOL13),
    Ctl(1032, E::VOL14),
    Ctl(1033, E::VOL15),
    Ctl(1034, E::VOL16),
    // Fader, row "DRAWBAR"
    Ctl(1044, E::DRAWBARM),
    Ctl(1035, E::DRAWBAR1),
    Ctl(1036, E::DRAWBAR2),
    Ctl(1037, E::DRAWBAR3),
    Ctl(1038, E::DRAWBAR4),
    Ctl(1039, E::DRAWBAR5),
    Ctl(1040, E::DRAWBAR6),
    Ctl(1041, E::DRAWBAR7),
    Ctl(1042, E::DRAWBAR8),
    // SEQ REMOTE
    Transport(1085, E::RTZ),
    Transport(1086, E::REW),
    Transport(1087, E::FF),
    Transport(1088, E::REC),
    Transport(1089, E::STOP),
    Transport(1090, E::PLAY),
    // Wheel, External Controller
    Ctl(1051, E::PITCH),
    Ctl(1052, E::MODULATION),
    Ctl(1054, E::SUSTAIN),
    Ctl(1053, E::CONTROL),
    Ctl(1055, E::BC),
    // System Exclusive, System
    OffDef(1057, E::GMON),
    OffDef(1056, E::XGON),
    OffDef(1058, E::GSON),
    OffDef(1059, E::ACTIVE),
    FormCombo{1060, L::Channel, R::Entry, E::CHANEL, -1},
    // Keys
    FormCombo{kIdKeyOctave, L::Octave, R::KeyOctave, E::KNOB01, -1},
    Key(1045, 0),
    Key(1074, 1),
    Key(1061, 2),
    Key(1075, 3),
    Key(1062, 4),
    Key(1064, 5),
    Key(1071, 6),
    Key(1065, 7),
    Key(1072, 8),
    Key(1066, 9),
    Key(1073, 10),
    Key(1067, 11),
    // Curve
    Curve(kIdVelocityCurves, E::CURVE),
    Curve(kIdTouchCurves, E::TOUCH),
}};

}  // namespace

std::span<const FormCombo> FormCombos() { return kCombos; }

int KeyComboId(int key) {
    for (const FormCombo& c : kCombos)
        if (c.role == ComboRole::Key && c.key == key) return c.id;
    return 0;
}

QStringList InitialItems(const FormCombo& combo) {
    switch (combo.list) {
        case ComboList::Controller:
            return res::ControllerItems();
        case ComboList::OffDefault:
            return res::OffDefaultItems();
        case ComboList::Channel:
            return res::ChannelItems();
        case ComboList::Transport:
            return res::TransportItems(std::atoi(EntryDefault(combo.entry)));
        case ComboList::Octave:
            return res::OctaveItems();
        case ComboList::Curves:
            return {QString::fromLatin1(res::kDefaultCurveItem)};
    }
    return {};
}

int NewDefaultIndex(const FormCombo& combo) {
    switch (combo.list) {
        case ComboList::Controller:
        case ComboList::OffDefault:
        case ComboList::Transport:
            return 1;
        case ComboList::Channel:
        case ComboList::Octave:
        case ComboList::Curves:
            return 0;
    }
    return 0;
}

CurveKind CurveKindOf(const FormCombo& combo) {
    return combo.entry == Entry::TOUCH ? CurveKind::Touch : CurveKind::Velocity;
}

QString CodeInWords(const FormCombo& combo, const AssignmentCode& code) {
    if (combo.list == ComboList::Channel) {
        const int channel = ChannelOfCode(code);
        return channel < 0 ? QStringLiteral("channel unchanged")
                           : QStringLiteral("sent on channel %1").arg(channel + 1);
    }
    const CodeDecision decision = DecideCode(code);
    switch (decision.action) {
        case CodeAction::Suppress:
            return QStringLiteral("suppressed");
        case CodeAction::Pass:
            return QStringLiteral("passes unchanged");
        case CodeAction::Replace:
            return QStringLiteral("replaced by controller %1").arg(decision.number);
        case CodeAction::Unknown:
            break;
    }
    return QStringLiteral("passes unchanged (unknown code)");
}

}  // namespace ostrel
