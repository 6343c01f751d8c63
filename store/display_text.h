#pragma once
// Texts read from files (curve names, codes) as the window shows them. Files made
// by the Windows program hold Windows-1252 text; files made here hold UTF-8. The
// bytes in the file are never changed: only what is shown is converted.
#include <string>
#include <string_view>

namespace ostrel {

// True when text is well-formed UTF-8 (no overlong forms, no surrogates, nothing
// above U+10FFFF).
bool IsValidUtf8(std::string_view text);

// The text as UTF-8 with every byte that is no part of well-formed UTF-8, and
// every control character, written as \xHH ("Br\xE4ute.cfg"): a name shown so
// never looks like another name.
std::string EscapedText(std::string_view text);

// The text as UTF-8 for display: valid UTF-8 as it is, anything else read as
// Windows-1252 (the five bytes that code page leaves undefined show as U+FFFD).
std::string DisplayText(std::string_view text);

}  // namespace ostrel
