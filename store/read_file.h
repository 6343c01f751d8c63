#pragma once
// Reading whole files, or their start, into memory.
#include <cstddef>
#include <string>

namespace ostrel {

// Reads a whole file. Returns false when it cannot be opened or read; missing
// tells whether it simply does not exist.
bool ReadWholeFile(const std::string& path, std::string& content, bool* missing = nullptr);

// Reads at most limit bytes from the start of a file (a device such as /dev/zero
// included), so that an oversized file is never read whole just to be refused.
bool ReadFileStart(const std::string& path, size_t limit, std::string& content,
                   bool* missing = nullptr);

// Reads a whole regular file. Returns false, with the reason in why (the system's
// words, or "not a regular file" for a folder, a device or a pipe), when it is
// missing, is no regular file or cannot be read. A pipe is refused without
// waiting for a writer, and a device is never read.
bool ReadRegularFile(const std::string& path, std::string& content, std::string* why = nullptr);

// Appends from the current position of fd up to limit bytes in all, or to the end.
bool ReadUpTo(int fd, size_t limit, std::string& content);

}  // namespace ostrel
