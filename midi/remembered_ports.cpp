#include "midi/remembered_ports.h"

namespace ostrel {
namespace {

const char* IndexKey(PortDirection d) {
    return d == PortDirection::Input ? kInputPositionKey : kOutputPositionKey;
}
const char* NameKey(PortDirection d) {
    return d == PortDirection::Input ? kInputNameKey : kOutputNameKey;
}

}  // namespace

std::string ReadRememberedPort(const CIniSettings& settings, PortDirection direction,
                               const std::vector<std::string>& devices) {
    const std::string name = settings.ReadString(kDevicesSection, NameKey(direction));
    if (!name.empty()) return name;
    const int index = settings.ReadInt(kDevicesSection, IndexKey(direction));
    if (index < 0 || index >= static_cast<int>(devices.size())) return "";
    return devices[static_cast<size_t>(index)];
}

bool RemembersPort(const CIniSettings& settings, PortDirection direction) {
    if (!settings.ReadString(kDevicesSection, NameKey(direction)).empty()) return true;
    return !settings.ReadString(kDevicesSection, IndexKey(direction)).empty() &&
           settings.ReadInt(kDevicesSection, IndexKey(direction)) >= 0;
}

StoreResult WriteRememberedPort(CIniSettings& settings, PortDirection direction, int index,
                                const std::string& name) {
    return settings.WriteValues({{kDevicesSection, IndexKey(direction), std::to_string(index)},
                                 {kDevicesSection, NameKey(direction), name}});
}

}  // namespace ostrel
