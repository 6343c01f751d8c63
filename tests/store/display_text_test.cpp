// Texts from files as the window shows them: UTF-8 as it is, anything else as
// Windows-1252.
#include "store/display_text.h"

#include <gtest/gtest.h>

namespace ostrel {
namespace {

TEST(DisplayTextTest, TextThatIsNoUtf8IsReadAsWindows1252) {
    const std::pair<std::string, std::string> cases[] = {
        {"Soft 2", "Soft 2"},
        {"R\xC3\xA9"
         "cital \xE2\x82\xAC \xF0\x9F\x8E\xB9",
         "R\xC3\xA9"
         "cital \xE2\x82\xAC \xF0\x9F\x8E\xB9"},
        {"R\xE9"
         "cital",
         "R\xC3\xA9"
         "cital"},
        {"\x80 \x93x\x94 \x9F \xFF", "\xE2\x82\xAC \xE2\x80\x9Cx\xE2\x80\x9D \xC5\xB8 \xC3\xBF"},
        {"\x81", "\xEF\xBF\xBD"},                          // undefined in Windows-1252
        {"\xC0\xAF", "\xC3\x80\xC2\xAF"},                  // overlong form of '/'
        {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},  // a surrogate
        {"\xC3", "\xC3\x83"},                              // cut short
        {"\xF4\x90\x80\x80", "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},  // past U+10FFFF
    };
    for (const auto& [bytes, shown] : cases) EXPECT_EQ(DisplayText(bytes), shown) << bytes;
}

}  // namespace
}  // namespace ostrel
