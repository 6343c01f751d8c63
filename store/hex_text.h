#pragma once
// Hex text: MIDI and System Exclusive bytes shown, typed and stored as two hex
// digits per byte.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// The hex buffers hold 256 bytes, i.e. 256 hex digits: at most 128 message bytes.
inline constexpr int kHexTextMaxDigits = 256;
inline constexpr int kHexTextMaxBytes = kHexTextMaxDigits / 2;

// The byte 0..255 of two hex digit characters (either case), or -1.
int HexPairToByte(char high, char low);

// Converts blank-free hex text into bytes (the caller's 256-byte buffer). length is
// the number of characters, or 0 for the whole text. Odd lengths give 0 and write
// nothing; a pair that is not two hex digits gives 0xFF. Returns the byte count.
// Text of more than 256 characters is refused with kHexTextTooLong, nothing written.
inline constexpr int kHexTextTooLong = -2;
int HexTextToBytes(const char* text, uint8_t* bytes, int length);

// The text with every blank (and line break) removed, as the conversion wants it.
std::string RemoveBlanks(const std::string& hexText);

// Hex text (blanks allowed) to bytes.
enum class HexParseResult {
    Ok,
    TooLong,  // more than 256 digits: does not fit the 256-byte buffers
    OddLength,
};
HexParseResult HexTextToByteVector(const std::string& hexText, std::vector<uint8_t>& bytes);

enum class HexCase { Upper, Lower };
// Two digits and a blank per byte, the last byte included: "F0 0A 7F ".
std::string FormatHexText(const uint8_t* bytes, size_t count, HexCase digits = HexCase::Upper);
// Two upper-case digits per byte with blanks between the bytes only: "F0 0A 7F".
std::string FormatHexLine(const uint8_t* bytes, size_t count);
// Two upper-case digits per byte and no blanks, as a transmission takes them: "F00A7F".
std::string FormatHexDigits(const uint8_t* bytes, size_t count);

}  // namespace ostrel
