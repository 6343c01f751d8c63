// The engine runs inside the MIDI callback: it must never allocate. Every form of
// the global operator new and delete counts (support/counting_allocator), and a
// long mixed stream must leave the count where it was.
#include <gtest/gtest.h>

#include <string>

#include "midi/entry_activity.h"
#include "support/counting_allocator.h"
#include "support/mixed_stream.h"
#include "tests/core/engine_harness.h"

namespace ostrel::test {
namespace {

TEST(EngineNoAllocationTest, CountingNewSeesAllocations) {
    // The counter works: a string too long for its own storage allocates.
    const long before = AllocationCount();
    void* raw = ::operator new(64);
    ::operator delete(raw);
    const std::string text(200, 'x');
    EXPECT_EQ(text.size(), 200u);
    EXPECT_GE(AllocationCount() - before, 2);
}

TEST(EngineNoAllocationTest, LongMixedStreamAllocatesNothing) {
    AssignmentTable table;
    CurrentCurves curves;
    SetUpPlayersTable(table, curves);
    TranslationEngine engine(table, curves);
    // What the pass-through does with each decision: stamps the entries for the
    // window's lights, and reads their codes for a monitor entry.
    EntryActivity activity;
    DecidingCodes codes;
    const auto decided = [&](const Decision& d, int outLength) {
        activity.Fire(d);
        codes = CodesOf(table, d);
        return outLength;
    };

    uint8_t message[kMessageBufferSize];
    uint8_t work[kMessageBufferSize];
    long sent = 0;

    const long before = AllocationCount();
    for (int round = 0; round < 2000; ++round) {
        for (const auto& s : kMixedShorts) {
            const TranslatedShort t = engine.TranslateMessage(ReadShort(s, 3));
            sent += decided(t.decision, t.message.length);
        }
        for (int k = 0; k < 5; ++k) {
            std::memset(message, 0, sizeof message);
            std::memcpy(message, kMixedSysEx[k], kMixedSysExLength[k]);
            const TranslateResult r = engine.TranslateMessage(message, kMixedSysExLength[k], work);
            sent += decided(r.decision, r.outLength);
        }
        std::memset(message, 0x11, sizeof message);
        message[0] = 0xF0;
        message[255] = 0xF7;
        sent += engine.TranslateMessage(message, kMessageBufferSize, work).matchedSteps;
    }
    const long after = AllocationCount();

    EXPECT_EQ(after, before);
    EXPECT_GT(sent, 0);
    EXPECT_NE(activity.LastFired(EntryActivity::SlotOf(Entry::KNOB01)), 0u);
}

}  // namespace
}  // namespace ostrel::test
