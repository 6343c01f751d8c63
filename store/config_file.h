#pragma once
// Configuration files (*.cfg): a whole assignment table in INI form. Section
// NOTE holds the note map as DATA00..DATAFE; every other entry has its own
// section with the single key DATA.
#include "store/ini_settings.h"

namespace ostrel {

class AssignmentTable;

// Reads one value of a configuration file into buffer (at least 256 bytes): at
// most 255 characters and a NUL; absent file, section or key give "". Returns the count.
int ReadCfgValue(const char* section, const char* key, char* buffer, const char* path);

// Stores one value in a configuration file, replacing it in place or appending it.
StoreResult WriteCfgValue(const char* section, const char* key, const char* value,
                          const char* path);

// Writes the whole table to path in one crash-safe write: the note map first, then
// the entries in the file's order. Values of an existing file are replaced in place.
StoreResult WriteConfig(const char* path, const AssignmentTable& table);

// Reads a whole table from path into table (a staging table; the caller publishes
// it). Absent or empty values give the entry's default; values are cut to three
// characters. A missing or unreadable file gives all defaults.
void ReadConfig(const char* path, AssignmentTable& table);

}  // namespace ostrel
