#pragma once
// Hex text: System Exclusive bytes shown and stored as two hex digits per byte.
#include <cstdint>

namespace ostrel {

// The byte 0..255 of two hex digit characters (either case), or -1.
int HexPairToByte(char high, char low);

// Converts blank-free hex text into bytes (the caller's 256-byte buffer). length is
// the number of characters, or 0 for the whole text. Odd lengths give 0 and write
// nothing; a pair that is not two hex digits gives 0xFF. Returns the byte count.
// Text of more than 256 characters is refused with kHexTextTooLong, nothing written.
inline constexpr int kHexTextTooLong = -2;
int HexTextToBytes(const char* text, uint8_t* bytes, int length);

}  // namespace ostrel
