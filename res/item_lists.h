#pragma once
// The texts of the main form's lists. Every item begins with the three-character
// code that choosing it stores; the rest of the text is for display only.
#include <QString>
#include <QStringList>

namespace ostrel::res {

// "###     --Off" and "***     --Default No Change".
inline constexpr const char* kOffItem = "###     --Off";
inline constexpr const char* kNoChangeItem = "***     --Default No Change";
// The channel list's first item has six blanks, not five.
inline constexpr const char* kChannelNoChangeItem = "***      --Default No Change";
inline constexpr const char* kDefaultCurveItem = "***     -- Default";

// "000     --Bank Select" .. "099     --...", then "100     -..." .. "127     -Poly mode on".
QString ControllerItem(int number);

// "###", "***", then controllers 000..127: 130 items in code order.
QStringList ControllerItems();
// "###" and "***" only (Tempo knob, GM/XG/GS ON, Active).
QStringList OffDefaultItems();
// "***" (six blanks) then "001     --Channel" .. "016     --Channel".
QStringList ChannelItems();
// "***" and the button's own number item, e.g. "115     -Undefined" for RTZ.
QStringList TransportItems(int number);
// "C0-B0\t   (0-11)" .. "C9-B9\t   (108-119)", "C10-G10\t   (120-127)".
QStringList OctaveItems();
inline constexpr int kOctaveCount = 11;
inline constexpr int kTopOctave = 10;  // covers only C to G (notes 120..127)

// Item of a curve library entry: "%03d     -- %s" of its index and name.
QString CurveItem(int index, const QString& name);

}  // namespace ostrel::res
