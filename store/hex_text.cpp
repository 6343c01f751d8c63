#include "store/hex_text.h"

#include <cstring>

namespace ostrel {
namespace {

constexpr int kWorkAreaSize = 256;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

}  // namespace

int HexPairToByte(char high, char low) {
    const int h = DigitValue(high), l = DigitValue(low);
    if (h < 0 || l < 0) return -1;
    return h * 16 + l;
}

int HexTextToBytes(const char* text, uint8_t* bytes, int length) {
    if (!text || !bytes || length < 0) return 0;
    // Never look further than the work area plus one character, so a long text is
    // recognised as too long without reading all of it.
    const int available = static_cast<int>(strnlen(text, kWorkAreaSize + 1));
    const int n = length != 0 ? length : available;
    if (n > kWorkAreaSize) return kHexTextTooLong;
    if (n % 2 != 0) return 0;

    // The characters to convert sit in a cleared work area: a length beyond the end
    // of the text converts the NULs that follow it (pairs of 0xFF).
    char work[kWorkAreaSize] = {};
    std::memcpy(work, text, static_cast<size_t>(n < available ? n : available));
    for (int i = 0; i < n / 2; ++i)
        bytes[i] = static_cast<uint8_t>(HexPairToByte(work[2 * i], work[2 * i + 1]) & 0xFF);
    return n / 2;
}

}  // namespace ostrel
