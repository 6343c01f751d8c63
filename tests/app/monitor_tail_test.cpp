// Entries that wait unformatted reach the log as the same text, emptied at the
// same places, as lines formatted on arrival: at any starting length of the log,
// with and without the deciding entries, for each kind of entry.
#include "app/monitor_tail.h"

#include <gtest/gtest.h>

#include <algorithm>

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
        for (MonitorTail* tail : {&waiting, &formatted, &partial}) tail->SetLogLength(c.logLength);
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
        EXPECT_EQ(end.size(), std::min<qsizetype>(c.empties ? 5 : 1000, expected.size()));
        EXPECT_EQ(partial.TakeHeldBack().before + end, QStringList(expected)) << c.count;
    }
}

// Held back lines come first when the log next grows, and are gone when it is
// emptied or cleared first; either way the emptying falls where it would.
TEST(MonitorTail, HeldBackLinesComeBeforeTheNextOrGoWithTheLog) {
    const QString line = QString(99, u'x') + "\n";  // 100 characters
    // 9 lines kept of 10 (the first empties), 2 shown: room for one more, 10 once cleared.
    const struct {
        bool cleared;
        int added, before, after;
    } cases[] = {{false, 1, 7, 1}, {false, 2, 0, 0}, {true, 10, 0, 10}};
    for (const auto& c : cases) {
        MonitorTail tail(1000);
        tail.SetLogLength(950);
        for (int i = 0; i < 10; ++i) tail.AddLine(line);
        ASSERT_EQ(tail.Take(2).size(), 2);
        tail.SetLogLength(c.cleared ? 0 : 200);  // the log holds the two lines shown, or none
        if (c.cleared) tail.DropHeldBack();
        for (int i = 0; i < c.added; ++i) tail.AddLine(line);
        const MonitorTail::Handover next = tail.Take(2);
        EXPECT_EQ(next.emptiesLog, c.after == 0) << c.added;
        EXPECT_EQ(next.before.size(), c.before) << c.added;
        EXPECT_EQ(next.size(), c.after) << c.added;
    }
}

}  // namespace
}  // namespace ostrel
