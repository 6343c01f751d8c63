#pragma once
// Text from the user (an argument, a line of input) as an error line quotes it.
#include <string>
#include <string_view>

namespace ostrel::cli {

// The text in single quotes, each control byte (a NUL included) and DEL escaped
// as \xNN so that the line shows every byte and ends where it should; a text
// longer than 20 bytes is quoted by its start and its length.
std::string QuoteText(std::string_view text);

}  // namespace ostrel::cli
