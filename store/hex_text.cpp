#include "store/hex_text.h"

#include <cstring>
#include <string_view>

namespace ostrel {
namespace {

constexpr int kWorkAreaSize = kHexTextMaxDigits;

int DigitValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

constexpr char kUpperDigits[] = "0123456789ABCDEF";
constexpr char kLowerDigits[] = "0123456789abcdef";

// Two digits per byte, separator between bytes and, when trailing, after the last.
std::string Format(const uint8_t* bytes, size_t count, const char* digits,
                   std::string_view separator, bool trailing) {
    std::string text;
    text.reserve(count * (2 + separator.size()));
    for (size_t i = 0; i < count; ++i) {
        if (i > 0) text += separator;
        text += digits[bytes[i] >> 4];
        text += digits[bytes[i] & 0x0F];
    }
    if (trailing && count > 0) text += separator;
    return text;
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

std::string RemoveBlanks(const std::string& hexText) {
    std::string out;
    out.reserve(hexText.size());
    for (char c : hexText)
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n') out += c;
    return out;
}

HexParseResult HexTextToByteVector(const std::string& hexText, std::vector<uint8_t>& bytes) {
    const std::string digits = RemoveBlanks(hexText);
    if (digits.size() > static_cast<size_t>(kHexTextMaxDigits)) return HexParseResult::TooLong;
    if (digits.size() % 2 != 0) return HexParseResult::OddLength;
    uint8_t buffer[kHexTextMaxBytes * 2] = {};  // the 256-byte buffer of the conversion
    const int n = HexTextToBytes(digits.c_str(), buffer, static_cast<int>(digits.size()));
    if (n < 0) return HexParseResult::TooLong;
    bytes.assign(buffer, buffer + n);
    return HexParseResult::Ok;
}

std::string FormatHexText(const uint8_t* bytes, size_t count, HexCase digits) {
    return Format(bytes, count, digits == HexCase::Upper ? kUpperDigits : kLowerDigits, " ", true);
}

std::string FormatHexLine(const uint8_t* bytes, size_t count) {
    return Format(bytes, count, kUpperDigits, " ", false);
}

std::string FormatHexDigits(const uint8_t* bytes, size_t count) {
    return Format(bytes, count, kUpperDigits, "", false);
}

}  // namespace ostrel
