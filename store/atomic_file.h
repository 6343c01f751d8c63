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
// replaced file's owner and group, extended attributes (its ACL among them) and
// mode are kept exactly.
// Returns false, with the system's reason in why ("No space left on device"), and
// removes the temporary file when any step fails; the old file is then untouched.
// A file that we may not write (read-only) is not replaced, nor is anything that
// is no regular file (a pipe or a device: "not a regular file").
//
// Temporary files have short names of their own (a name near the file-system
// limit can still be saved) and are locked while they are written; those that
// killed writes left behind in the folder are removed by the next write there.
//
// Three cases write the file in place instead (in_place_write.h: a kill at any
// point leaves the old content or the new one): a file with more than one hard
// link (a rename would cut it off from the others), a writable file in a folder
// that takes no new file or no rename, and a file whose owner and group or
// attributes the new file could not be given (another user's file in a shared
// folder, an attribute only its owner may set).
bool WriteFileAtomically(const std::string& path, std::string_view content,
                         std::string* why = nullptr);

// Removes the temporary files that killed writes left in folder: ours by their
// name, of this user, and not locked by a write under way. Run at start for the
// folders the program writes (empty: the current folder); every write runs it
// for its own folder.
void RemoveLeftoverTempFiles(const std::string& folder);

// Whether WriteFileAtomically can be expected to write path now: the folder takes
// a new file, or the file exists and may be written in place. Otherwise false,
// with the reason in why (the system's words, e.g. "Permission denied", or "not a
// regular file").
bool CanWriteFile(const std::string& path, std::string* why = nullptr);

}  // namespace ostrel
