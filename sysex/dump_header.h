#pragma once
// The five bytes that begin every bulk dump of the keyboard.
#include <cstddef>
#include <cstdint>

namespace ostrel {

inline constexpr uint8_t kDumpHeader[5] = {0xF0, 0x00, 0x5A, 0x52, 0x4B};
inline constexpr int kDumpLength = 59;

// A message or file is a dump exactly when its first five bytes are the header.
inline bool StartsWithDumpHeader(const uint8_t* bytes, size_t length) {
    if (length < 5) return false;
    for (int i = 0; i < 5; ++i)
        if (bytes[i] != kDumpHeader[i]) return false;
    return true;
}

}  // namespace ostrel
