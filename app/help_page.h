#pragma once
// Where Help, ReadMe finds Readme.htm: the start folder first (a page kept beside
// the user's own settings wins), then the folder of the program itself (a build
// or an unpacked copy), then the installed data folder (share/ostrel beside bin).
#include <string>
#include <vector>

namespace ostrel {

inline constexpr const char* kHelpPageName = "Readme.htm";

// The folders searched, in order; programDir empty leaves out the two that
// depend on it.
std::vector<std::string> HelpPageFolders(const std::string& startDir,
                                         const std::string& programDir);

// The full path of the first Readme.htm in those folders that is a regular
// file (or a link to one); empty when there is none.
std::string FindHelpPage(const std::vector<std::string>& folders);

// The folder that holds the running executable, empty when it cannot be told.
std::string ProgramFolder();

}  // namespace ostrel
