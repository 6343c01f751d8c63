// The settings reader and writer on any file content: no crash, and a written
// value reads back while another key keeps its value.
#include <fuzzer/FuzzedDataProvider.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/ini_settings.h"

namespace {

// Names the broken promise, so that a crash input explains itself.
#define CHECK(condition)                                                                 \
    do {                                                                                 \
        if (!(condition)) {                                                              \
            std::fprintf(stderr, "check failed at line %d: %s\n", __LINE__, #condition); \
            std::abort();                                                                \
        }                                                                                \
    } while (false)

const std::string& Folder() {
    static const std::string folder = [] {
        // Memory-backed when possible: every save syncs its file to disk.
        std::string pattern = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        pattern += "/ostrel-fuzz-ini-XXXXXX";
        const char* made = mkdtemp(pattern.data());
        if (!made) std::abort();
        return std::string(made);
    }();
    return folder;
}

void WriteFile(const std::string& path, const std::string& content) {
    FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    std::fwrite(content.data(), 1, content.size(), f);
    std::fclose(f);
}

// Names and values a program writes: letters and digits.
std::string Plain(FuzzedDataProvider& in, size_t max) {
    std::string s = in.ConsumeRandomLengthString(max);
    for (char& c : s) c = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789"[static_cast<uint8_t>(c) % 36];
    return s;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const std::string section = Plain(in, 12), key = Plain(in, 12), value = Plain(in, 40);
    const std::string otherSection = Plain(in, 12), otherKey = Plain(in, 12);
    const std::string rawSection = in.ConsumeRandomLengthString(20);
    const std::string rawKey = in.ConsumeRandomLengthString(20);
    const std::string rawValue = in.ConsumeRandomLengthString(300);
    const std::string content = in.ConsumeRemainingBytesAsString();

    const std::string path = Folder() + "/Ostrel.ini";
    WriteFile(path, content);
    ostrel::CIniSettings settings;
    CHECK(settings.SetPath(path));

    char buffer[ostrel::kTextBufferSize];
    char other[ostrel::kTextBufferSize];
    const int n = settings.ReadValue(rawSection.c_str(), rawKey.c_str(), buffer);
    // The count is the text's length, within the buffer, even for a value that
    // holds a NUL byte.
    CHECK(n >= 0 && n <= 255 && buffer[n] == '\0' && std::strlen(buffer) == static_cast<size_t>(n));
    settings.WriteValue(rawSection.c_str(), rawKey.c_str(), rawValue.c_str());

    // A plain write reads back, and leaves a different key as it was.
    WriteFile(path, content);
    if (section.empty() || key.empty()) return 0;
    const bool sameKey = strcasecmp(section.c_str(), otherSection.c_str()) == 0 &&
                         strcasecmp(key.c_str(), otherKey.c_str()) == 0;
    settings.ReadValue(otherSection.c_str(), otherKey.c_str(), other);
    const std::string before = other;
    if (settings.WriteValue(section.c_str(), key.c_str(), value.c_str()) ==
        ostrel::StoreResult::Ok) {
        settings.ReadValue(section.c_str(), key.c_str(), buffer);
        CHECK(value == buffer);
        if (!sameKey && !otherSection.empty() && !otherKey.empty()) {
            settings.ReadValue(otherSection.c_str(), otherKey.c_str(), other);
            CHECK(before == other);
        }
    }
    return 0;
}
