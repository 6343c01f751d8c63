#pragma once
// Writing a file in its own blocks (when a rename would cut off its other hard
// links, or the folder takes no new file) so that a process killed at any point
// leaves something the next read turns into the old content or the new one,
// never a mixture.
//
// The file carries its own journal. With the old content O (o bytes) and the new
// content N (n bytes), and j = max(o, n):
//   1. a trailer is written at j + n: it names o, n, j and N's checksum (the file
//      grows; the bytes between o and j + n read as zeros);
//   2. N is written at j, and synced;
//   3. N is written at 0, and synced;
//   4. the file is cut to n, and synced.
// A file ending with a valid trailer is read as N when the copy at j matches its
// checksum (the write had passed step 2), else as its first o bytes (O, which
// nothing has touched before step 3).
#include <cstdint>
#include <string>
#include <string_view>

namespace ostrel {

// Writes content into the file at path (a regular file that may be written) as
// above, flushed and read back. False, with the system's reason in why, when it
// fails; the file then still reads as its old content (or, past step 2, as the new).
bool WriteInPlace(const std::string& path, std::string_view content, std::string* why);

// The size up to which a file whose content is within limit may grow while an
// in-place write is unfinished.
uint64_t InPlaceWriteLimit(uint64_t limit);
// Whether the open file of that size ends with a trailer of an unfinished write.
bool EndsWithInPlaceJournal(int fd, uint64_t size);
// When content (the whole file at path) ends with such a trailer: replaces it by
// the content that write settles on, and puts the file right on disk where it
// may be written. Anything else is left as it is.
void SettleInPlaceWrite(const std::string& path, std::string& content);

namespace fault {
// A seam for tests of the recovery: the next in-place writes stop right after
// step `step` of the numbered steps in in_place_write.cpp (1 to 7), leaving the
// file as a killed process would. 0 turns it off.
void StopInPlaceWriteAfter(int step);
}  // namespace fault

}  // namespace ostrel
