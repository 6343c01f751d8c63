#pragma once
// Reading whole files, or their start, into memory.
#include <cstddef>
#include <string>

namespace ostrel {

// The largest settings or configuration file that is read: real ones hold a few
// kilobytes, and anything near this size is not one.
inline constexpr size_t kMaxStoredFileSize = 1024 * 1024;

// Reads at most limit bytes from the start of a file (a device such as /dev/zero
// included), so that an oversized file is never read whole just to be refused.
bool ReadFileStart(const std::string& path, size_t limit, std::string& content,
                   bool* missing = nullptr);

// Reads a settings or configuration file whole. It is opened without waiting (a
// pipe with no writer is looked at, not waited on) and refused, with the reason
// in why, when it is missing or unreadable (the system's words), is no regular
// file ("not a regular file") or is larger than kMaxStoredFileSize ("larger than
// 1 MB"). missing tells whether it simply does not exist. A file that an in-place
// write left unfinished (see in_place_write.h) is read as that write settled it,
// and put right on disk where it may be written.
bool ReadStoredFile(const std::string& path, std::string& content, std::string* why = nullptr,
                    bool* missing = nullptr);

// Appends from the current position of fd up to limit bytes in all, or to the end.
bool ReadUpTo(int fd, size_t limit, std::string& content);

}  // namespace ostrel
