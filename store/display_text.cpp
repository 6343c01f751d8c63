#include "store/display_text.h"

#include <cstdint>

namespace ostrel {
namespace {

// Windows-1252 bytes 0x80..0x9F; the other bytes are their own code points.
constexpr char16_t kCp1252High[32] = {
    0x20AC, 0xFFFD, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178,
};

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The length of the well-formed UTF-8 sequence at text[i] (no overlong form, no
// surrogate, nothing above U+10FFFF), or 0 when there is none.
size_t Utf8Length(std::string_view text, size_t i) {
    const uint8_t lead = static_cast<uint8_t>(text[i]);
    if (lead < 0x80) return 1;
    int extra;
    char32_t c, min;
    if (lead >= 0xC2 && lead <= 0xDF) {
        extra = 1, c = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        extra = 2, c = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        extra = 3, c = lead & 0x07, min = 0x10000;
    } else {
        return 0;  // a continuation byte first, or a lead byte no form uses
    }
    if (text.size() - i <= static_cast<size_t>(extra)) return 0;
    for (int k = 1; k <= extra; ++k) {
        const uint8_t next = static_cast<uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80) return 0;
        c = (c << 6) | (next & 0x3F);
    }
    if (c < min || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0;
    return static_cast<size_t>(extra) + 1;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
    for (size_t i = 0, n; i < text.size(); i += n)
        if ((n = Utf8Length(text, i)) == 0) return false;
    return true;
}

std::string EscapedText(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out;
    for (size_t i = 0; i < text.size();) {
        const uint8_t byte = static_cast<uint8_t>(text[i]);
        const size_t n = byte < 0x20 || byte == 0x7F ? 0 : Utf8Length(text, i);
        if (n > 0) {
            out.append(text.substr(i, n));
            i += n;
            continue;
        }
        out.append("\\x").append(1, kHex[byte >> 4]).append(1, kHex[byte & 0xF]);
        ++i;
    }
    return out;
}

std::string DisplayText(std::string_view text) {
    if (IsValidUtf8(text)) return std::string(text);
    std::string out;
    out.reserve(text.size() * 2);
    for (const char ch : text) {
        const uint8_t byte = static_cast<uint8_t>(ch);
        AppendUtf8(out, byte >= 0x80 && byte < 0xA0 ? kCp1252High[byte - 0x80] : byte);
    }
    return out;
}

}  // namespace ostrel
