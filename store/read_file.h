#pragma once
// Reading whole files, or their start, into memory.
#include <cstddef>
#include <string>

namespace ostrel {

// The largest settings or configuration file that is read: real ones hold a few
// kilobytes, and anything near this size is not one.
inline constexpr size_t kMaxStoredFileSize = 1024 * 1024;

// Why a pipe, a device, a socket or a folder is refused where a file is meant.
inline constexpr const char* kNotRegularFile = "not a regular file";

// Opens a file for reading without ever waiting: a pipe with no writer is looked
// at, not waited on, and anything but a regular file is closed again and refused
// (kNotRegularFile). -1 with the reason in why (the system's words) when it fails;
// missing tells whether the file simply does not exist.
int OpenRegularFile(const std::string& path, std::string* why = nullptr, bool* missing = nullptr);

// Reads at most limit bytes from the start of a regular file opened as above, so
// that an oversized file is never read whole just to be refused.
bool ReadRegularFileStart(const std::string& path, size_t limit, std::string& content,
                          std::string* why = nullptr);

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
