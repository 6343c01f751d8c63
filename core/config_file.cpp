#include "core/config_file.h"

#include <cstring>
#include <string>

#include "core/assignment_table.h"
#include "store/ini_file.h"
#include "store/ini_settings.h"
#include "store/read_file.h"
#include "store/settings_keys.h"

namespace ostrel {
namespace {

constexpr int kNoteKeyCount = 255;  // cells 0..254; cell 255 is neither written nor read

// The order of the sections in a configuration file. It differs from the table's
// own order around BC/CONTROL and GSON/XGON, and files depend on it.
constexpr Entry kWriteOrder[kEntryCount] = {
    Entry::KNOB01,   Entry::KNOB02,     Entry::KNOB03,   Entry::KNOB04,   Entry::KNOB05,
    Entry::KNOB06,   Entry::KNOB07,     Entry::KNOB08,   Entry::VOLM,     Entry::VOL01,
    Entry::VOL02,    Entry::VOL03,      Entry::VOL04,    Entry::VOL05,    Entry::VOL06,
    Entry::VOL07,    Entry::VOL08,      Entry::VOL09,    Entry::VOL10,    Entry::VOL11,
    Entry::VOL12,    Entry::VOL13,      Entry::VOL14,    Entry::VOL15,    Entry::VOL16,
    Entry::DRAWBARM, Entry::DRAWBAR1,   Entry::DRAWBAR2, Entry::DRAWBAR3, Entry::DRAWBAR4,
    Entry::DRAWBAR5, Entry::DRAWBAR6,   Entry::DRAWBAR7, Entry::DRAWBAR8, Entry::RTZ,
    Entry::REW,      Entry::FF,         Entry::REC,      Entry::STOP,     Entry::PLAY,
    Entry::PITCH,    Entry::MODULATION, Entry::SUSTAIN,  Entry::BC,       Entry::CONTROL,
    Entry::GMON,     Entry::GSON,       Entry::XGON,     Entry::ACTIVE,   Entry::CHANEL,
    Entry::TOUCH,    Entry::CURVE,
};

// A value as a cell takes it: the default when empty, then the first three bytes of
// a cleared buffer (shorter values leave NULs, longer ones are cut).
AssignmentCode CodeFromValue(const std::string& value, const char* fallback) {
    char buffer[kTextBufferSize] = {};
    const std::string& text = value.empty() ? std::string(fallback) : value;
    std::memcpy(buffer, text.data(), text.size() < 255 ? text.size() : 255);
    AssignmentCode code;
    std::memcpy(code.text, buffer, 3);
    return code;
}

// The cell's characters up to three, stopping at a NUL.
std::string ValueOf(const AssignmentCode& code) {
    return std::string(code.text, strnlen(code.text, 3));
}

}  // namespace

StoreResult WriteConfig(const char* path, const AssignmentTable& table, std::string* why) {
    if (!path || !*path) {
        if (why) *why = "no file name";
        return StoreResult::IoFailure;
    }
    IniFile file;
    // Values are replaced in place, so an existing file must be readable first.
    if (file.Load(path, why) != StoreResult::Ok) return StoreResult::IoFailure;
    for (int n = 0; n < kNoteKeyCount; ++n) {
        const StoreResult r = file.Set(kNoteSection, NoteKey(n), ValueOf(table.GetNote(n)));
        if (r != StoreResult::Ok) return r;
    }
    for (Entry e : kWriteOrder) {
        const StoreResult r = file.Set(EntryName(e), kEntryKey, ValueOf(table.Get(e)));
        if (r != StoreResult::Ok) return r;
    }
    return file.Save(path, why);
}

StoreResult ReadConfig(const char* path, AssignmentTable& table, std::string* why) {
    IniFile file;
    std::string text;
    if (!path || !ReadStoredFile(path, text, why)) {
        if (!path && why) *why = "no file name";
        return StoreResult::IoFailure;
    }
    file = IniFile::FromText(text);
    // Anything can be opened by mistake; a file without one section of a table
    // would silently give the defaults.
    bool isConfiguration = file.HasSection(kNoteSection);
    for (int i = 0; i < kEntryCount && !isConfiguration; ++i)
        isConfiguration = file.HasSection(EntryName(EntryAt(i)));
    if (!isConfiguration) {
        if (why) *why = kNotAConfiguration;
        return StoreResult::IoFailure;
    }
    for (int n = 0; n < kNoteKeyCount; ++n)
        table.SetNote(n, CodeFromValue(file.Get(kNoteSection, NoteKey(n)), "***"));
    for (Entry e : kWriteOrder)
        table.Set(e, CodeFromValue(file.Get(EntryName(e), kEntryKey), EntryDefault(e)));
    return StoreResult::Ok;
}

}  // namespace ostrel
