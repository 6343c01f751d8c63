#include "store/file_in_use.h"

#include "store/settings_keys.h"

namespace ostrel {

bool FileInUse::Recall(const CIniSettings& settings) {
    const RememberedFile remembered = ReadRememberedFile(settings);
    unusablePath_.clear();
    if (remembered.name.empty()) return false;
    if (remembered.path.front() != '/') {
        unusablePath_ = remembered.path;
        return false;
    }
    Use(remembered.path, remembered.name);
    return true;
}

void FileInUse::Forget() {
    name_.clear();
    path_.clear();
}

void FileInUse::Use(const std::string& path, const std::string& name) {
    path_ = path;
    name_ = name.substr(0, kMaxNameBytes);
}

StoreResult FileInUse::Remember(CIniSettings& settings) const {
    return WriteRememberedFile(settings, path_, name_);
}

bool FileInUse::FirstRefusalOfPath() {
    if (path_ == unrememberedPath_) return false;
    unrememberedPath_ = path_;
    return true;
}

}  // namespace ostrel
