#include "store/settings_keys.h"

#include <cstdio>

namespace ostrel {

std::string NoteKey(int note) {
    char key[16];
    std::snprintf(key, sizeof key, "%s%02X", kEntryKey, note);
    return key;
}

std::string CurveEntryKey(const char* stem, int index) {
    char key[32];  // "SECONDY" and up to eleven characters of the index
    std::snprintf(key, sizeof key, "%s%02d", stem, index);
    return key;
}

RememberedFile ReadRememberedFile(const CIniSettings& settings) {
    RememberedFile file;
    file.name = settings.ReadString(kSystemSection, kFileNameKey);
    if (!file.name.empty()) file.path = settings.ReadString(kSystemSection, kFullNameKey);
    if (file.path.empty()) file.name.clear();
    return file;
}

StoreResult WriteRememberedFile(CIniSettings& settings, const std::string& path,
                                const std::string& name) {
    return settings.WriteValues({
        {kSystemSection, kFullNameKey, path},
        {kSystemSection, kFileNameKey, name},
    });
}

bool ReadMonitorOn(const CIniSettings& settings) {
    return settings.ReadString(kMonitorSection, kMonitorStateKey).starts_with('1');
}

StoreResult WriteMonitorOn(CIniSettings& settings, bool on) {
    return settings.WriteValue(kMonitorSection, kMonitorStateKey, on ? "1" : "0");
}

bool ReadMonitorExplain(const CIniSettings& settings) {
    return settings.ReadString(kMonitorSection, kMonitorExplainKey).starts_with('1');
}

StoreResult WriteMonitorExplain(CIniSettings& settings, bool on) {
    return settings.WriteValue(kMonitorSection, kMonitorExplainKey, on ? "1" : "0");
}

}  // namespace ostrel
