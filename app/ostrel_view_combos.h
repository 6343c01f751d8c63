#pragma once
// The main form's 66 combo boxes as one table: which list each shows and what a
// pick in it edits. Everything the form does with its combos is driven by it.
#include <QStringList>
#include <span>

#include "core/assignment_table.h"
#include "curves/current_curve.h"

namespace ostrel {

enum class ComboList {
    Controller,  // "###", "***", "000".."127"
    OffDefault,  // "###", "***"
    Channel,     // "***", "001".."016"
    Transport,   // "***" and the button's number
    Octave,      // the eleven octaves, unsorted
    Curves,      // "***" and the curve library of the combo's kind
};

enum class ComboRole {
    Entry,        // a pick writes `entry`
    MasterFader,  // a pick writes VOLM and shows the same item in the other master combo
    Key,          // a pick writes the note map cell 12 * octave + key
    KeyOctave,    // a pick chooses the octave that the key combos show
    Curve,        // a pick writes CURVE or TOUCH and makes that curve current
};

struct FormCombo {
    int id;
    ComboList list;
    ComboRole role;
    Entry entry;  // Entry, MasterFader, Curve: the entry written; unused otherwise
    int key;      // Key: 0..11 for C..B; -1 otherwise
};

inline constexpr int kFormComboCount = 66;
inline constexpr int kKeyCount = 12;
inline constexpr int kIdKeyOctave = 1076;
inline constexpr int kIdVelocityCurves = 1069;
inline constexpr int kIdTouchCurves = 1070;
inline constexpr int kIdMasterFaderUpper = 1084;  // row "VOL  1-8"
inline constexpr int kIdMasterFaderLower = 1043;  // row "VOL  9-16"

std::span<const FormCombo> FormCombos();
// Id of the key combo for key k (C = 0 .. B = 11).
int KeyComboId(int key);

// The items the form adds to the combo when it is created (curve lists: only the
// default item; the libraries are added at the first showing).
QStringList InitialItems(const FormCombo& combo);
// Item that File New selects: "***" (index 1) in lists that begin with "###",
// the first item in the others.
int NewDefaultIndex(const FormCombo& combo);
// The curve kind of a curve combo.
CurveKind CurveKindOf(const FormCombo& combo);

// What code does to the control's messages, in words for screen readers:
// "suppressed", "passes unchanged", "replaced by controller 7"; for the Channel
// box "sent on channel 3" or "channel unchanged". (Key Octave and the curve
// boxes say what they show themselves.)
QString CodeInWords(const FormCombo& combo, const AssignmentCode& code);

}  // namespace ostrel
