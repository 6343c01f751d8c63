#pragma once
// The settings file Ostrel.ini in the directory that was current at start-up.
// Every read and write goes to the file at once; nothing is cached.
#include <functional>
#include <string>
#include <vector>

#include "store/ini_file.h"
#include "store/store_result.h"  // StoreResult: Ok, TooLong, IoFailure, InvalidText

namespace ostrel {

inline constexpr int kTextBufferSize = 256;  // values: at most 255 characters

class CIniSettings {
  public:
    virtual ~CIniSettings() = default;

    // Fixes the path: the current directory followed by "/Ostrel.ini". Returns
    // false (and leaves the path empty) when it would not fit 255 characters.
    bool InitPath();
    // For tests and the command line: use this file instead.
    bool SetPath(const std::string& path);
    const char* Path() const { return path_; }

    // Reads the value into buffer (at least 256 bytes): at most 255 characters and
    // a NUL. Absent file, section or key give the empty text. Returns the count.
    int ReadValue(const char* section, const char* key, char* buffer) const;
    // Convenience: the value, or the atoi of it.
    std::string ReadString(const char* section, const char* key) const;
    int ReadInt(const char* section, const char* key) const;

    // Stores value under key in section, creating what is missing, replacing in place.
    StoreResult WriteValue(const char* section, const char* key, const char* value);
    StoreResult WriteInt(const char* section, const char* key, int value);

    // Several values written in the given order as one crash-safe write; the file
    // ends exactly as the single writes would leave it. Every value is checked
    // first: when one is refused, nothing is written.
    struct ValueWrite {
        std::string section, key, value;
    };
    StoreResult WriteValues(const std::vector<ValueWrite>& writes);

    // The file read once, for callers that read many values in a row (start-up).
    // Its Get follows the rules of ReadValue.
    IniFile Snapshot() const;
    // Why the file, present, cannot be read (it then reads as empty): the system's
    // words, "not a regular file" or "larger than 1 MB"; empty when it can or is absent.
    std::string ReadProblem() const;

    // Why the last write failed to reach the file (the system's words, e.g. "No
    // space left on device", or why the file could not be read first); empty
    // after a write that worked or was refused for its text.
    const std::string& LastFailure() const { return lastFailure_; }
    // Called with that reason after every write that fails to reach the file, so
    // that the program says it where the user sees it.
    void OnWriteFailure(std::function<void(const std::string& reason)> listener) {
        onWriteFailure_ = std::move(listener);
    }
    // Whether a listener says failed writes, so that a caller does not say them twice.
    bool SaysWriteFailures() const { return static_cast<bool>(onWriteFailure_); }

  private:
    StoreResult Failed(std::string reason);

    char path_[kTextBufferSize] = {};
    std::string lastFailure_;
    std::function<void(const std::string&)> onWriteFailure_;
};

}  // namespace ostrel
