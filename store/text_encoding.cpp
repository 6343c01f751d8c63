#include "store/text_encoding.h"

#include <cstdint>

#include "store/display_text.h"

namespace ostrel {
namespace {

char16_t Unit(std::string_view units, size_t i, FileEncoding encoding) {
    const auto a = static_cast<uint8_t>(units[i]), b = static_cast<uint8_t>(units[i + 1]);
    return static_cast<char16_t>(encoding == FileEncoding::Utf16Le ? a | b << 8 : b | a << 8);
}

void PutUnit(std::string& out, char16_t unit, FileEncoding encoding) {
    const char low = static_cast<char>(unit & 0xFF), high = static_cast<char>(unit >> 8);
    out += encoding == FileEncoding::Utf16Le ? low : high;
    out += encoding == FileEncoding::Utf16Le ? high : low;
}

void PutUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// The code point of the UTF-8 sequence at text[i] and its length, lone
// surrogates' three-byte forms included; length 0 when there is none.
char32_t NextUtf8(std::string_view text, size_t i, size_t& length) {
    const auto lead = static_cast<uint8_t>(text[i]);
    length = lead < 0x80                    ? 1
             : lead >= 0xC2 && lead <= 0xDF ? 2
             : lead >= 0xE0 && lead <= 0xEF ? 3
             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                            : 0;
    if (length == 0 || i + length > text.size()) return length = 0;
    char32_t c = length == 1 ? lead : lead & (0x7F >> length);
    for (size_t k = 1; k < length; ++k) {
        const auto next = static_cast<uint8_t>(text[i + k]);
        if ((next & 0xC0) != 0x80) return length = 0;
        c = c << 6 | (next & 0x3F);
    }
    constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (c < kMin[length] || c > 0x10FFFF) return length = 0;
    return c;
}

}  // namespace

FileEncoding EncodingOf(std::string_view content) {
    if (content.starts_with("\xFF\xFE")) return FileEncoding::Utf16Le;
    if (content.starts_with("\xFE\xFF")) return FileEncoding::Utf16Be;
    return FileEncoding::Bytes;
}

std::string Utf16ToUtf8(std::string_view units, FileEncoding encoding) {
    std::string out;
    out.reserve(units.size());
    size_t i = 0;
    for (; i + 1 < units.size(); i += 2) {
        const char16_t u = Unit(units, i, encoding);
        if (u >= 0xD800 && u <= 0xDBFF && i + 3 < units.size()) {
            const char16_t next = Unit(units, i + 2, encoding);
            if (next >= 0xDC00 && next <= 0xDFFF) {
                PutUtf8(out, 0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
                i += 2;
                continue;
            }
        }
        PutUtf8(out, u);
    }
    return out;
}

std::string Utf8ToUtf16(std::string_view text, FileEncoding encoding) {
    std::string out;
    out.reserve(text.size() * 2);
    for (size_t i = 0; i < text.size();) {
        size_t length = 0;
        char32_t c = NextUtf8(text, i, length);
        if (length == 0) {
            // Not UTF-8: the byte as Windows-1252 shows it.
            const std::string shown = DisplayText(text.substr(i, 1));
            c = NextUtf8(shown, 0, length);
            length = 1;
        }
        if (c >= 0x10000) {
            PutUnit(out, static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)), encoding);
            PutUnit(out, static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)), encoding);
        } else {
            PutUnit(out, static_cast<char16_t>(c), encoding);
        }
        i += length;
    }
    return out;
}

}  // namespace ostrel
