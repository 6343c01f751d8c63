#include "cli/config_option.h"

#include <string>

#include "cli/command.h"
#include "core/config_file.h"

namespace ostrel::cli {

std::optional<int> ReadConfigOption(const char* path, AssignmentTable& table) {
    if (path == nullptr) return std::nullopt;
    std::string why;
    if (ReadConfig(path, table, &why) == StoreResult::Ok) return std::nullopt;
    return RuntimeError(std::string("cannot read configuration file '") + path + "': " + why);
}

}  // namespace ostrel::cli
