#include "app/help_page.h"

#include <filesystem>
#include <system_error>

// The data folder as seen from the folder of the executables; the build passes
// the one that its install rules use.
#ifndef OSTREL_DATA_FROM_BIN
#define OSTREL_DATA_FROM_BIN "../share/ostrel"
#endif

namespace ostrel {

namespace fs = std::filesystem;

std::vector<std::string> HelpPageFolders(const std::string& startDir,
                                         const std::string& programDir) {
    std::vector<std::string> folders{startDir};
    if (!programDir.empty()) {
        folders.push_back(programDir);
        folders.push_back(
            (fs::path(programDir) / OSTREL_DATA_FROM_BIN).lexically_normal().string());
    }
    return folders;
}

std::string FindHelpPage(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        if (folder.empty()) continue;
        const fs::path page = fs::path(folder) / kHelpPageName;
        std::error_code ec;
        if (fs::is_regular_file(page, ec)) return page.string();
    }
    return {};
}

std::string ProgramFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.parent_path().string();
}

}  // namespace ostrel
