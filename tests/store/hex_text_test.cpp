// Hex text to bytes: digit pairs in either case, odd lengths, non-hex pairs and
// the 256-character limit of the buffers; bytes to each shape of hex text.
#include "store/hex_text.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace ostrel {
namespace {

TEST(HexPairToByteTest, DigitsOfEitherCaseAndEverythingElse) {
    EXPECT_EQ(HexPairToByte('0', '0'), 0);
    EXPECT_EQ(HexPairToByte('F', 'f'), 255);
    EXPECT_EQ(HexPairToByte('a', '9'), 0xA9);
    EXPECT_EQ(HexPairToByte('4', 'B'), 0x4B);
    EXPECT_EQ(HexPairToByte('G', '1'), -1);
    EXPECT_EQ(HexPairToByte('1', ' '), -1);
    EXPECT_EQ(HexPairToByte('\0', '0'), -1);
    EXPECT_EQ(HexPairToByte('/', ':'), -1);  // the neighbours of '0' and '9'
    EXPECT_EQ(HexPairToByte('@', 'g'), -1);  // the neighbours of 'A' and 'f'
}

TEST(HexTextToBytesTest, DumpHeaderInUpperAndLowerCase) {
    uint8_t bytes[256] = {};
    const uint8_t header[5] = {0xF0, 0x00, 0x5A, 0x52, 0x4B};
    EXPECT_EQ(HexTextToBytes("F0005A524B", bytes, 10), 5);
    EXPECT_EQ(std::memcmp(bytes, header, 5), 0);
    uint8_t lower[256] = {};
    EXPECT_EQ(HexTextToBytes("f0005a524b", lower, 0), 5);  // 0: the whole text
    EXPECT_EQ(std::memcmp(lower, header, 5), 0);
}

TEST(HexTextToBytesTest, OddEmptyAndNonHexTexts) {
    uint8_t bytes[256];
    std::memset(bytes, 0x77, sizeof bytes);
    EXPECT_EQ(HexTextToBytes("F00", bytes, 3), 0);
    EXPECT_EQ(bytes[0], 0x77);  // untouched
    EXPECT_EQ(bytes[1], 0x77);
    EXPECT_EQ(HexTextToBytes("", bytes, 0), 0);
    EXPECT_EQ(bytes[0], 0x77);
    EXPECT_EQ(HexTextToBytes("F0G1", bytes, 4), 2);
    EXPECT_EQ(bytes[0], 0xF0);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0x77);
    // Only the given number of characters is converted.
    EXPECT_EQ(HexTextToBytes("0102030405", bytes, 4), 2);
    EXPECT_EQ(bytes[2], 0x77);
    // A length beyond the text's end converts the cleared work area: 0xFF pairs.
    EXPECT_EQ(HexTextToBytes("12", bytes, 6), 3);
    EXPECT_EQ(bytes[0], 0x12);
    EXPECT_EQ(bytes[1], 0xFF);
    EXPECT_EQ(bytes[2], 0xFF);
    EXPECT_EQ(HexTextToBytes("12", bytes, -4), 0);
    EXPECT_EQ(HexTextToBytes(nullptr, bytes, 0), 0);
}

TEST(HexTextToBytesTest, AtMost256CharactersFitTheBuffers) {
    uint8_t bytes[256 + 16];
    std::memset(bytes, 0x77, sizeof bytes);
    const std::string full(256, 'A');
    EXPECT_EQ(HexTextToBytes(full.c_str(), bytes, 0), 128);
    EXPECT_EQ(bytes[127], 0xAA);
    EXPECT_EQ(bytes[128], 0x77);

    std::memset(bytes, 0x77, sizeof bytes);
    const std::string tooLong(258, 'B');
    EXPECT_EQ(HexTextToBytes(tooLong.c_str(), bytes, 0), kHexTextTooLong);
    EXPECT_EQ(HexTextToBytes(tooLong.c_str(), bytes, 258), kHexTextTooLong);
    const std::string odd(257, 'B');
    EXPECT_EQ(HexTextToBytes(odd.c_str(), bytes, 0), kHexTextTooLong);
    EXPECT_EQ(bytes[0], 0x77);  // nothing written
    // A short length of a long text converts only that part.
    EXPECT_EQ(HexTextToBytes(tooLong.c_str(), bytes, 4), 2);
    EXPECT_EQ(bytes[1], 0xBB);
    EXPECT_EQ(bytes[2], 0x77);
}

TEST(FormatHexTest, EachShapeOfHexTextKeepsItsBlanksAndCase) {
    const uint8_t bytes[3] = {0xF0, 0x0a, 0x7F};
    EXPECT_EQ(FormatHexText(bytes, 3), "F0 0A 7F ");
    EXPECT_EQ(FormatHexText(bytes, 0), "");
    EXPECT_EQ(RemoveBlanks("F0 0A\r\n7F "), "F00A7F");
    const struct {
        std::string text, expected;
    } shapes[] = {
        {FormatHexText(bytes, 3, HexCase::Lower), "f0 0a 7f "},
        {FormatHexLine(bytes, 3), "F0 0A 7F"},
        {FormatHexLine(bytes, 1), "F0"},
        {FormatHexLine(bytes, 0), ""},
        {FormatHexDigits(bytes, 3), "F00A7F"},
        {FormatHexDigits(bytes, 0), ""},
    };
    for (const auto& s : shapes) EXPECT_EQ(s.text, s.expected);
    // Every byte value as the formats "%02X " and "%02x " print it.
    for (int b = 0; b < 256; ++b) {
        const uint8_t byte = static_cast<uint8_t>(b);
        char upper[8], lower[8];
        std::snprintf(upper, sizeof upper, "%02X ", b);
        std::snprintf(lower, sizeof lower, "%02x ", b);
        EXPECT_EQ(FormatHexText(&byte, 1), upper);
        EXPECT_EQ(FormatHexText(&byte, 1, HexCase::Lower), lower);
    }
}

TEST(HexTextToByteVectorTest, NonHexPairsBecomeFFAndLongTextIsRefused) {
    std::vector<uint8_t> bytes = {1, 2};
    EXPECT_EQ(HexTextToByteVector("F0 G1", bytes), HexParseResult::Ok);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0xF0, 0xFF}));
    EXPECT_EQ(HexTextToByteVector("F0 0", bytes), HexParseResult::OddLength);
    EXPECT_EQ(HexTextToByteVector(std::string(258, 'A'), bytes), HexParseResult::TooLong);
    EXPECT_EQ(HexTextToByteVector("", bytes), HexParseResult::Ok);
    EXPECT_TRUE(bytes.empty());
}

}  // namespace
}  // namespace ostrel
