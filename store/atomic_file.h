#pragma once
// Crash-safe replacement of a whole file: the old content stays on disk until
// the new content is complete and synced, so a crash or a full disk never
// leaves a half-written settings, configuration or .syx file behind.
#include <string>
#include <string_view>

namespace ostrel {

// Writes content to a temporary file in the target's folder, syncs it and renames
// it over path. A symbolic link is followed, so the file it names is replaced.
// Returns false (and removes the temporary file) when any step fails; the old
// file is then untouched. A file that we may not write (read-only) is not replaced.
bool WriteFileAtomically(const std::string& path, std::string_view content);

// Reads a whole file. Returns false when it cannot be opened or read; missing
// tells whether it simply does not exist.
bool ReadWholeFile(const std::string& path, std::string& content, bool* missing = nullptr);

}  // namespace ostrel
