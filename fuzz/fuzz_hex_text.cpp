// Hex text to bytes: any text, any length, never beyond the 256-byte buffer.
#include <fuzzer/FuzzedDataProvider.h>

#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "store/hex_text.h"

namespace {
void Check(bool ok) {
    if (!ok) std::abort();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    const int length = in.ConsumeBool() ? 0 : in.ConsumeIntegralInRange(-4, 600);
    const std::string text = in.ConsumeRemainingBytesAsString();

    // The exact 256-byte buffer, with guard bytes that must stay untouched.
    uint8_t guarded[256 + 32];
    std::memset(guarded, 0xA5, sizeof guarded);
    const int n = ostrel::HexTextToBytes(text.c_str(), guarded + 16, length);
    Check(n == ostrel::kHexTextTooLong || (n >= 0 && n <= 128));
    for (int i = 0; i < 16; ++i) Check(guarded[i] == 0xA5 && guarded[16 + 256 + i] == 0xA5);

    // Valid hex of even length reads back as its own bytes.
    const size_t textLength = std::strlen(text.c_str());
    bool allHex = textLength % 2 == 0 && textLength <= 256;
    for (size_t i = 0; allHex && i < textLength; ++i)
        allHex = std::isxdigit(static_cast<unsigned char>(text[i])) != 0;
    if (allHex && length == 0) {
        Check(n == static_cast<int>(textLength / 2));
        for (int i = 0; i < n; ++i)
            Check(guarded[16 + i] == ostrel::HexPairToByte(text[2 * i], text[2 * i + 1]));
    }
    return 0;
}
