// Entries that wait unformatted reach the log as the same text, emptied at the
// same places, as lines formatted on arrival: at any starting length of the log,
// with and without the deciding entries, for each kind of entry.
#include "app/monitor_tail.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

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
        MonitorTail waiting, formatted, partial;
        waiting.SetLogLength(c.logLength);
        formatted.SetLogLength(c.logLength);
        partial.SetLogLength(c.logLength);
        for (int i = 0; i < c.count; ++i) {
            const MonitorEvent e = Event(c.kinds[i % c.kinds.size()], i);
            waiting.AddEvent(e, c.explain);
            formatted.AddLine(QString::fromStdString(FormatMonitorLine(e, c.explain)));
            partial.AddEvent(e, c.explain);
        }
        const MonitorTail::Handover shown = waiting.Take(), expected = formatted.Take();
        EXPECT_EQ(expected.emptiesLog, c.empties) << c.count;
        EXPECT_EQ(shown.emptiesLog, expected.emptiesLog) << c.count;
        EXPECT_EQ(QStringList(shown), QStringList(expected)) << c.count;
        EXPECT_TRUE(waiting.IsEmpty());
        // Showing 5 lines at an emptying: the rest comes before them, later.
        const MonitorTail::Handover end = partial.Take(5);
        EXPECT_EQ(end.size(),
                  c.empties ? std::min<qsizetype>(5, expected.size()) : expected.size());
        EXPECT_EQ(partial.TakeHeldBack().before + end, QStringList(expected)) << c.count;
        EXPECT_FALSE(partial.HoldsBack());
    }
}

// Held back lines come first when the log next grows, and are gone when it is
// emptied or cleared first; either way the emptying falls where it would.
TEST(MonitorTail, HeldBackLinesComeBeforeTheNextOrGoWithTheLog) {
    const QString line = QString(99, u'x') + "\n";  // 100 characters
    for (const char* next : {"grows", "empties", "cleared"}) {
        MonitorTail tail(1000);
        tail.SetLogLength(950);
        for (int i = 0; i < 10; ++i) tail.AddLine(line);  // empties at the first
        const MonitorTail::Handover shown = tail.Take(2);
        ASSERT_EQ(shown.size(), 2);
        tail.SetLogLength(200);  // the log holds the two lines shown
        if (next == std::string("cleared")) {
            tail.DropHeldBack();
            tail.SetLogLength(0);
        }
        // 9 lines in all, 2 shown: room for one more, or 10 once cleared.
        const int room = next == std::string("cleared") ? 10 : next == std::string("grows") ? 1 : 2;
        for (int i = 0; i < room; ++i) tail.AddLine("y" + line.mid(1));
        const MonitorTail::Handover after = tail.Take(2);
        EXPECT_EQ(after.emptiesLog, next == std::string("empties")) << next;
        EXPECT_EQ(after.before.size(), next == std::string("grows") ? 7 : 0) << next;
        EXPECT_EQ(after.size(), next == std::string("empties") ? 0 : room) << next;
    }
}

}  // namespace
}  // namespace ostrel
