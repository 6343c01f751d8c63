#pragma once
// Reading the .syx file that a command sends or checks.
#include <string>

namespace ostrel::cli {

// Reads the start of a regular file: one byte more than a message can hold is
// enough to refuse a longer file. Opened without blocking, so that a pipe with
// no writer is refused at once instead of waited on; a pipe or a device is
// never read. Empty when it worked, else why not.
std::string ReadSyxFileStart(const char* path, std::string& content);

}  // namespace ostrel::cli
