#include "cli/quoted_text.h"

#include <cstdio>

namespace ostrel::cli {

std::string QuoteText(std::string_view text) {
    constexpr size_t kShownLength = 20;
    std::string quoted(1, '\'');
    for (const char c : text.substr(0, kShownLength)) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) {
            char escaped[5];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
            quoted += escaped;
        } else {
            quoted += c;
        }
    }
    if (text.size() <= kShownLength) return quoted + '\'';
    return quoted + "...' (" + std::to_string(text.size()) + " characters)";
}

}  // namespace ostrel::cli
