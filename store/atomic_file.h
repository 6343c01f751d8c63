#pragma once
// Crash-safe replacement of a whole file: the old content stays on disk until
// the new content is complete and synced, so a crash or a full disk never
// leaves a half-written settings, configuration or .syx file behind.
#include <cstddef>
#include <string>
#include <string_view>

namespace ostrel {

// Writes content to a temporary file in the target's folder, syncs it and renames
// it over path. A symbolic link is followed, so the file it names is replaced. The
// replaced file's mode is kept, and its owner and group where the system permits.
// Returns false (and removes the temporary file) when any step fails; the old
// file is then untouched. A file that we may not write (read-only) is not replaced.
//
// Temporary files have short names of their own (a name near the file-system
// limit can still be saved) and are locked while they are written; one that a
// killed write left behind is removed by the next write of the same file.
//
// Two cases write the file in place instead, flushed and read back: a file with
// more than one hard link (a rename would cut it off from the others), and a
// writable file in a folder that takes no new file or no rename. A failure there
// writes the old content back.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Whether WriteFileAtomically can be expected to write path now: the folder takes
// a new file, or the file exists and may be written in place. Otherwise false,
// with the reason in why (the system's words, e.g. "Permission denied").
bool CanWriteFile(const std::string& path, std::string* why = nullptr);

}  // namespace ostrel
