#pragma once
// A table, curves and engine at their start state, and helpers that present
// messages to the engine the way the pass-through does.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"

namespace ostrel::test {

using Bytes = std::vector<uint8_t>;

struct Translation {
    Bytes out;  // what goes out (empty when matchedSteps is 0)
    int outLength = 0;
    int matchedSteps = 0;
    bool Suppressed() const { return matchedSteps != 0 && outLength == 0; }
};

class EngineTest : public ::testing::Test {
  protected:
    // A short message: up to three bytes, status first.
    Translation Short(std::initializer_list<uint8_t> bytes) {
        const TranslatedShort r =
            engine.TranslateMessage(ReadShort(Bytes(bytes).data(), bytes.size()));
        Translation t;
        t.outLength = r.message.length;
        t.matchedSteps = r.matchedSteps;
        if (r.matchedSteps != 0) t.out.assign(r.message.bytes, r.message.bytes + r.message.length);
        return t;
    }
    // A System Exclusive (or any) message presented with its own length.
    Translation Long(const Bytes& bytes) { return Run(bytes, static_cast<int>(bytes.size())); }

    Translation Run(const Bytes& bytes, int length) {
        uint8_t message[kMessageBufferSize] = {};
        uint8_t work[kMessageBufferSize] = {};
        std::memcpy(message, bytes.data(), std::min<size_t>(bytes.size(), sizeof message));
        const TranslateResult r = engine.TranslateMessage(message, length, work);
        Translation t;
        t.outLength = r.outLength;
        t.matchedSteps = r.matchedSteps;
        if (r.matchedSteps != 0) t.out.assign(work, work + r.outLength);
        return t;
    }

    AssignmentTable table;
    CurrentCurves curves;
    TranslationEngine engine{table, curves};
};

// The worked example curve: area 256 x 256, points (64, 128) and (192, 32).
inline CurvePoints WorkedExampleCurve() { return CurvePoints{64, 128, 192, 32, 256, 256}; }

}  // namespace ostrel::test
