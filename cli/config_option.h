#pragma once
// The table of a --config option, read the same way by every command that
// takes one.
#include <optional>

#include "core/assignment_table.h"

namespace ostrel::cli {

// Reads path into table (left as it is without a path). The exit code of the
// runtime error, said on stderr, when the file cannot be read: a mistyped name
// must not go unnoticed as a table of defaults.
std::optional<int> ReadConfigOption(const char* path, AssignmentTable& table);

}  // namespace ostrel::cli
