// Entries that wait unformatted reach the log as the same text, emptied at the
// same places, as lines formatted on arrival: at any starting length of the log,
// with and without the deciding entries, for each kind of entry.
#include "app/monitor_tail.h"

#include <gtest/gtest.h>

#include "midi/monitor_line.h"

namespace ostrel {
namespace {

MonitorEvent Event(MonitorEvent::Kind kind, int i) {
    MonitorEvent e;
    e.kind = kind;
    e.time = i % 2 ? 0 : 1700000000 + 3600 * i;
    e.in =
        MakeShort(static_cast<uint8_t>(0x80 + i % 0x80), static_cast<uint8_t>(i * 7 % 256), 0xFF);
    e.out = i % 3 ? e.in : ShortMessage{};
    e.receivedLength = 3;
    e.received[0] = 0xF0;
    e.decision.entry = i % 4 ? kNoEntry : 1;
    return e;
}

TEST(MonitorTail, WaitingEntriesShowAsLinesFormattedOnArrival) {
    using K = MonitorEvent::Kind;
    const struct {
        std::vector<K> kinds;
        int count;
        qsizetype logLength;
        bool explain;
        bool empties;
    } cases[] = {
        {{K::ShortMessage}, 3, 0, false, false},
        {{K::ShortMessage}, 1, kMonitorTextLimit - 10, false, true},  // the first empties
        {{K::ShortMessage, K::Released}, 900, 0, false, true},        // many times
        {{K::ShortMessage, K::Released, K::Incomplete, K::LongMessage}, 700, 5000, false, true},
        {{K::ShortMessage, K::Released}, 700, 100, true, true},
    };
    for (const auto& c : cases) {
        MonitorTail waiting, formatted;
        waiting.SetLogLength(c.logLength);
        formatted.SetLogLength(c.logLength);
        for (int i = 0; i < c.count; ++i) {
            const MonitorEvent e = Event(c.kinds[i % c.kinds.size()], i);
            waiting.AddEvent(e, c.explain);
            formatted.AddLine(QString::fromStdString(FormatMonitorLine(e, c.explain)));
        }
        const MonitorTail::Handover shown = waiting.Take(), expected = formatted.Take();
        EXPECT_EQ(expected.emptiesLog, c.empties) << c.count;
        EXPECT_EQ(shown.emptiesLog, expected.emptiesLog) << c.count;
        EXPECT_EQ(QStringList(shown), QStringList(expected)) << c.count;
        EXPECT_TRUE(waiting.IsEmpty());
    }
}

}  // namespace
}  // namespace ostrel
