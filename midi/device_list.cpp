#include "midi/device_list.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace ostrel {

std::string DeviceListEntry(int index, const std::string& name) {
    char prefix[16] = {};
    std::snprintf(prefix, sizeof prefix, "%02d:", index);
    return prefix + name;
}

std::vector<std::string> DeviceListEntries(const std::vector<std::string>& names) {
    std::vector<std::string> entries;
    entries.reserve(names.size());
    for (size_t i = 0; i < names.size(); ++i)
        entries.push_back(DeviceListEntry(static_cast<int>(i), names[i]));
    return entries;
}

bool ParseDeviceIndex(const char* text, int& index) {
    if (text == nullptr || (*text != '-' && (*text < '0' || *text > '9'))) return false;
    char* end = nullptr;
    errno = 0;
    const long value = std::strtol(text, &end, 10);
    if (errno != 0 || *end != '\0' || value < -1 || value > 9999) return false;
    index = static_cast<int>(value);
    return true;
}

}  // namespace ostrel
