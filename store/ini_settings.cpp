#include "store/ini_settings.h"

#include <unistd.h>

#include <cstring>

namespace ostrel {
namespace {

constexpr const char* kFileName = "/Ostrel.ini";

// Section and key names, like values, must fit the 256-byte buffers.
bool FitsBuffer(const std::string& text) {
    return text.size() <= static_cast<size_t>(kTextBufferSize - 1);
}

}  // namespace

bool CIniSettings::InitPath() {
    char dir[kTextBufferSize] = {};
    if (!::getcwd(dir, sizeof dir)) {
        path_[0] = '\0';
        return false;
    }
    return SetPath(std::string(dir) + kFileName);
}

bool CIniSettings::SetPath(const std::string& path) {
    std::memset(path_, 0, sizeof path_);
    if (path.empty() || path.size() > static_cast<size_t>(kTextBufferSize - 1) ||
        path.find('\0') != std::string::npos)
        return false;
    std::memcpy(path_, path.data(), path.size());
    return true;
}

IniFile CIniSettings::Snapshot() const {
    IniFile file;
    if (path_[0]) file.Load(path_);  // an unreadable file reads as empty
    return file;
}

int CIniSettings::ReadValue(const char* section, const char* key, char* buffer) const {
    if (!buffer) return 0;
    buffer[0] = '\0';
    if (!section || !key) return 0;
    const std::string value = Snapshot().Get(section, key);  // at most 255 characters
    std::memcpy(buffer, value.data(), value.size());
    buffer[value.size()] = '\0';
    return static_cast<int>(value.size());
}

std::string CIniSettings::ReadString(const char* section, const char* key) const {
    char buffer[kTextBufferSize] = {};
    ReadValue(section, key, buffer);
    return buffer;
}

int CIniSettings::ReadInt(const char* section, const char* key) const {
    return ParseIntLikeAtoi(ReadString(section, key));
}

StoreResult CIniSettings::WriteValue(const char* section, const char* key, const char* value) {
    return WriteValues({{section ? section : "", key ? key : "", value ? value : ""}});
}

StoreResult CIniSettings::WriteInt(const char* section, const char* key, int value) {
    return WriteValue(section, key, std::to_string(value).c_str());
}

std::string CIniSettings::ReadProblem() const {
    std::string why;
    IniFile file;
    if (!path_[0] || file.Load(path_, &why) == StoreResult::Ok) return "";
    return why;
}

StoreResult CIniSettings::Failed(std::string reason) {
    lastFailure_ = std::move(reason);
    if (onWriteFailure_) onWriteFailure_(lastFailure_);
    return StoreResult::IoFailure;
}

StoreResult CIniSettings::WriteValues(const std::vector<ValueWrite>& writes) {
    lastFailure_.clear();
    for (const ValueWrite& w : writes)
        if (!FitsBuffer(w.section) || !FitsBuffer(w.key) || !FitsBuffer(w.value))
            return StoreResult::TooLong;
    if (!path_[0]) return Failed("the settings file has no path");

    IniFile file;
    std::string why;
    // A file that exists but cannot be read is never replaced by one holding only
    // the new values.
    if (file.Load(path_, &why) != StoreResult::Ok) return Failed(why);
    for (const ValueWrite& w : writes) {
        const StoreResult r = file.Set(w.section, w.key, w.value);
        if (r != StoreResult::Ok) return r;  // nothing has been written yet
    }
    if (file.Save(path_, &why) != StoreResult::Ok) return Failed(why);
    return StoreResult::Ok;
}

}  // namespace ostrel
