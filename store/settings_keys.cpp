#include "store/settings_keys.h"

#include <climits>
#include <cstdio>
#include <cstdlib>

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

std::optional<WindowPlace> ReadMonitorPlace(const CIniSettings& settings) {
    int values[4];
    const char* const keys[4] = {kMonitorLeftKey, kMonitorTopKey, kMonitorWidthKey,
                                 kMonitorHeightKey};
    for (int i = 0; i < 4; ++i) {
        const std::string text = settings.ReadString(kMonitorSection, keys[i]);
        char* end = nullptr;
        const long value = std::strtol(text.c_str(), &end, 10);
        if (text.empty() || *end != '\0' || value < INT_MIN || value > INT_MAX) return std::nullopt;
        values[i] = static_cast<int>(value);
    }
    if (values[2] <= 0 || values[3] <= 0) return std::nullopt;
    return WindowPlace{values[0], values[1], values[2], values[3]};
}

StoreResult WriteMonitorPlace(CIniSettings& settings, const WindowPlace& place) {
    return settings.WriteValues({
        {kMonitorSection, kMonitorLeftKey, std::to_string(place.left)},
        {kMonitorSection, kMonitorTopKey, std::to_string(place.top)},
        {kMonitorSection, kMonitorWidthKey, std::to_string(place.width)},
        {kMonitorSection, kMonitorHeightKey, std::to_string(place.height)},
    });
}

}  // namespace ostrel
