// The engine with any table, any curves and any stream of messages: it must stay
// inside its buffers and keep the promises the pass-through relies on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"
#include "fuzz/fuzz_inputs.h"

using namespace ostrel;
using fuzz::AnyCode;
using fuzz::AnyCurve;
using fuzz::Check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzedDataProvider in(data, size);
    AssignmentTable table;
    CurrentCurves curves;
    const int edits = in.ConsumeIntegralInRange(0, 60);
    for (int i = 0; i < edits; ++i) {
        const int target = in.ConsumeIntegralInRange(0, kEntryCount + 255);
        if (target < kEntryCount)
            table.Set(EntryAt(target), AnyCode(in));
        else
            table.SetNote(target - kEntryCount, AnyCode(in));
    }
    if (in.ConsumeBool()) curves.Of(CurveKind::Velocity).SetAll(AnyCurve(in));
    if (in.ConsumeBool()) curves.Of(CurveKind::Touch).SetAll(AnyCurve(in));
    TranslationEngine engine(table, curves);

    uint8_t message[kMessageBufferSize];
    uint8_t received[kMessageBufferSize];
    uint8_t work[kMessageBufferSize];
    while (in.remaining_bytes() > 0) {
        // Short messages as the callback gives them, or a System Exclusive block.
        const bool isShort = in.ConsumeBool();
        std::memset(message, 0, sizeof message);
        std::memset(work, 0, sizeof work);
        int length = 4;
        if (isShort) {
            const std::vector<uint8_t> b = in.ConsumeBytes<uint8_t>(3);
            if (!b.empty()) std::memcpy(message, b.data(), b.size());
        } else {
            length = in.ConsumeIntegralInRange(1, kMessageBufferSize);
            const std::vector<uint8_t> b = in.ConsumeBytes<uint8_t>(length);
            if (!b.empty()) std::memcpy(message, b.data(), b.size());
            if (in.ConsumeBool()) message[0] = 0xF0;
        }
        std::memcpy(received, message, sizeof message);
        const TranslateResult r = engine.TranslateMessage(message, length, work);

        Check(r.matchedSteps >= 0 && r.matchedSteps <= 5);
        Check(r.outLength >= 0 && r.outLength <= kMessageBufferSize);
        if (r.matchedSteps == 0) continue;
        // Replacements are four bytes; everything else keeps the message's length.
        Check(r.outLength == 0 || r.outLength == 4 || r.outLength == length);
        // System messages are never adjusted: an output that starts with a system
        // status is the message itself.
        if (r.outLength > 0 && work[0] >= 0xF0)
            Check(std::memcmp(work, received, r.outLength) == 0);
        // Changing a channel never turns a channel message into a system message.
        if (received[0] >= 0x80 && received[0] < 0xF0 && r.outLength > 0)
            Check(work[0] >= 0x80 && work[0] < 0xF0);
    }
    return 0;
}
