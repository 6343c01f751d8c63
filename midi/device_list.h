#pragma once
// The texts of the device lists: "%02d:%s" of the device index and its name, so
// that sorted lists keep device order (for up to 100 devices per direction).
#include <string>
#include <vector>

namespace ostrel {

std::string DeviceListEntry(int index, const std::string& name);
// One entry per name, position i for device i.
std::vector<std::string> DeviceListEntries(const std::vector<std::string>& names);

// A device index typed by the user: decimal, -1 (none) or more. False for any
// other text.
bool ParseDeviceIndex(const char* text, int& index);

}  // namespace ostrel
