#pragma once
// Configuration files (*.cfg): a whole assignment table in INI form. Section
// NOTE holds the note map as DATA00..DATAFE; every other entry has its own
// section with the single key DATA.
#include <string>

#include "store/store_result.h"

namespace ostrel {

class AssignmentTable;

// Writes the whole table to path in one crash-safe write: the note map first, then
// the entries in the file's order. Values of an existing file are replaced in place.
StoreResult WriteConfig(const char* path, const AssignmentTable& table);

// Reads a whole table from path into table (a staging table; the caller publishes
// it). Absent or empty values give the entry's default; values are cut to three
// characters. Returns Ok when the file was read; IoFailure, with table holding
// all defaults and the reason in why (the system's words, or "not a regular
// file"), when it is missing, is no regular file or cannot be read.
StoreResult ReadConfig(const char* path, AssignmentTable& table, std::string* why = nullptr);

}  // namespace ostrel
