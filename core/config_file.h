#pragma once
// Configuration files (*.cfg): a whole assignment table in INI form. Section
// NOTE holds the note map as DATA00..DATAFE; every other entry has its own
// section with the single key DATA.
#include <string>

#include "store/store_result.h"

namespace ostrel {

class AssignmentTable;

// Writes the whole table to path in one crash-safe write: the note map first, then
// the entries in the file's order. Values of an existing file are replaced in place,
// in the file's own encoding. The reason of a failure is in why: the system's
// words, or why the existing file could not be read first.
StoreResult WriteConfig(const char* path, const AssignmentTable& table, std::string* why = nullptr);

// Why a file is refused when no section of a configuration is found in it.
inline constexpr const char* kNotAConfiguration = "not an Ostrel configuration file";

// Reads a whole table from path into table (a staging table; the caller publishes
// it). Absent or empty values give the entry's default; values are cut to three
// characters. Returns Ok when the file was read; IoFailure, with table unchanged
// and the reason in why, when it is missing, is no regular file, is larger than
// 1 MB, cannot be read (see ReadStoredFile), or holds no section of a
// configuration (kNotAConfiguration: random bytes, a .syx file).
StoreResult ReadConfig(const char* path, AssignmentTable& table, std::string* why = nullptr);

}  // namespace ostrel
