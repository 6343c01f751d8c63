#pragma once
// What the fuzz targets of the engine and the forwarding share: codes, curves
// and the check that ends the run when a promise is broken.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/assignment_code.h"
#include "curves/current_curve.h"

namespace ostrel::fuzz {

inline void Check(bool ok) {
    if (!ok) std::abort();
}

// Mostly codes a list offers, sometimes any three bytes.
inline AssignmentCode AnyCode(FuzzedDataProvider& in) {
    const uint8_t pick = in.ConsumeIntegral<uint8_t>();
    char text[4] = {};
    if (pick < 40) {
        std::memcpy(text, "###", 3);
    } else if (pick < 100) {
        std::memcpy(text, "***", 3);
    } else if (pick < 230) {
        const int n = (pick - 100) % 130;  // up to 129: just past the lists
        text[0] = static_cast<char>('0' + n / 100);
        text[1] = static_cast<char>('0' + n / 10 % 10);
        text[2] = static_cast<char>('0' + n % 10);
    } else {
        for (char& c : text) c = static_cast<char>(in.ConsumeIntegral<uint8_t>());
        text[3] = 0;
    }
    AssignmentCode code;
    std::memcpy(code.text, text, 3);
    return code;
}

inline CurvePoints AnyCurve(FuzzedDataProvider& in) {
    CurvePoints c;
    c.firstX = in.ConsumeIntegral<int32_t>();
    c.firstY = in.ConsumeIntegral<int32_t>();
    c.secondX = in.ConsumeIntegral<int32_t>();
    c.secondY = in.ConsumeIntegral<int32_t>();
    c.width = in.ConsumeIntegral<int32_t>();
    c.height = in.ConsumeIntegral<int32_t>();
    return c;
}

}  // namespace ostrel::fuzz
