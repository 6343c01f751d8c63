#pragma once
// Every section and key of the settings file Ostrel.ini and of configuration
// files (*.cfg), named once, with the reads and writes of keys that belong
// together. Nothing is cached: each helper reads or writes the file at the
// moment it is called. The devices are read and written by
// midi/remembered_ports.h, the curve libraries by curves/curve_library.h.
#include <optional>
#include <string>

#include "store/ini_settings.h"
#include "store/store_result.h"

namespace ostrel {

// Ostrel.ini, section DEVNAME: the chosen MIDI devices, each as its position in
// the device list and as the port's full name.
inline constexpr const char* kDevicesSection = "DEVNAME";
inline constexpr const char* kInputPositionKey = "MIDIIN";
inline constexpr const char* kOutputPositionKey = "MIDIOUT";
inline constexpr const char* kInputNameKey = "MIDIINNAME";
inline constexpr const char* kOutputNameKey = "MIDIOUTNAME";

// Section SYSTEM: the configuration file reopened at start, its bare name and
// its full path.
inline constexpr const char* kSystemSection = "SYSTEM";
inline constexpr const char* kFileNameKey = "FILENAME";
inline constexpr const char* kFullNameKey = "FULLNAME";
// Key SETLIST: the setlist open at the end, by its full path, opened again at start.
inline constexpr const char* kSetlistKey = "SETLIST";

// Section MONITOR, key STATE: whether the monitor logs.
inline constexpr const char* kMonitorSection = "MONITOR";
inline constexpr const char* kMonitorStateKey = "STATE";
// Key EXPLAIN: whether monitor lines name the entry that decided them.
inline constexpr const char* kMonitorExplainKey = "EXPLAIN";
// Keys LEFT, TOP, WIDTH, HEIGHT: where the user last put the monitor window
// (its frame's top left corner on the desktop) and its size inside the frame.
inline constexpr const char* kMonitorLeftKey = "LEFT";
inline constexpr const char* kMonitorTopKey = "TOP";
inline constexpr const char* kMonitorWidthKey = "WIDTH";
inline constexpr const char* kMonitorHeightKey = "HEIGHT";

// The libraries of named curves: section CURVE for velocity, TOUCH for touch.
// NUMS entries, each with the keys NAMEnn, FIRSTXnn, FIRSTYnn, SECONDXnn and
// SECONDYnn (CurveEntryKey).
inline constexpr const char* kVelocityCurvesSection = "CURVE";
inline constexpr const char* kTouchCurvesSection = "TOUCH";
inline constexpr const char* kCurveCountKey = "NUMS";
inline constexpr const char* kCurveNameStem = "NAME";
inline constexpr const char* kCurveFirstXStem = "FIRSTX";
inline constexpr const char* kCurveFirstYStem = "FIRSTY";
inline constexpr const char* kCurveSecondXStem = "SECONDX";
inline constexpr const char* kCurveSecondYStem = "SECONDY";
// The current curves' start points X0, Y0, X1, Y1: the velocity curve's in
// section CURSE, the touch curve's in TOUCH beside its library.
inline constexpr const char* kVelocityStartSection = "CURSE";
inline constexpr const char* kTouchStartSection = "TOUCH";
inline constexpr const char* kStartX0Key = "X0";
inline constexpr const char* kStartY0Key = "Y0";
inline constexpr const char* kStartX1Key = "X1";
inline constexpr const char* kStartY1Key = "Y1";

// Configuration files: section NOTE holds the note map as DATA00..DATAFE
// (NoteKey); every other entry of the table has a section of its own name with
// the single key DATA.
inline constexpr const char* kNoteSection = "NOTE";
inline constexpr const char* kEntryKey = "DATA";

// "DATA" and the note cell's number in two upper-case hex digits.
std::string NoteKey(int note);
// A stem and the curve entry's index in at least two decimal digits: "NAME05".
std::string CurveEntryKey(const char* stem, int index);

// The remembered file: a name without its path remembers nothing, and the path
// is read only when there is a name.
struct RememberedFile {
    std::string name, path;  // both empty when nothing is remembered
};
RememberedFile ReadRememberedFile(const CIniSettings& settings);
// FULLNAME first, then FILENAME, in one write that is refused as a whole.
StoreResult WriteRememberedFile(CIniSettings& settings, const std::string& path,
                                const std::string& name);

// The monitor's state: on when the value starts with "1"; anything else, or
// nothing, is off.
bool ReadMonitorOn(const CIniSettings& settings);
StoreResult WriteMonitorOn(CIniSettings& settings, bool on);
bool ReadMonitorExplain(const CIniSettings& settings);
StoreResult WriteMonitorExplain(CIniSettings& settings, bool on);

// A window's place: its frame's top left corner and its size inside the frame.
struct WindowPlace {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const WindowPlace&) const = default;
};
// The monitor's remembered place; nothing when a key is missing or not a
// number, or the size is not positive.
std::optional<WindowPlace> ReadMonitorPlace(const CIniSettings& settings);
// The four keys in one write that is refused as a whole.
StoreResult WriteMonitorPlace(CIniSettings& settings, const WindowPlace& place);

}  // namespace ostrel
