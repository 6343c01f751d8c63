// The event pump: the one reader of the pass-through's queue. Monitor entries
// reach the monitor, received dumps the dump receiver, neither takes the other's;
// lost entries are told. Then the whole path through a real pass-through.
#include <gtest/gtest.h>

#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <deque>

#include "app/event_pump.h"
#include "app/monitor_dlg.h"
#include "core/assignment_table.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"
#include "res/dialog_builder.h"
#include "tests/app/shell_fixture.h"
#include "tests/app/shell_print.h"

namespace ostrel {
namespace {

MonitorEvent Short(ShortMessage in, ShortMessage out) {
    MonitorEvent e;
    e.kind = MonitorEvent::Kind::ShortMessage;
    e.in = in;
    e.out = out;
    return e;
}

MonitorEvent Dump(uint8_t marker) {
    MonitorEvent e;
    e.kind = MonitorEvent::Kind::ReceivedDump;
    e.receivedLength = 7;
    const uint8_t bytes[] = {0xF0, 0x00, 0x5A, 0x52, 0x4B, marker, 0xF7};
    std::copy(std::begin(bytes), std::end(bytes), e.received);
    return e;
}

struct FakeQueue {
    std::deque<MonitorEvent> events;
    Losses lost;
    EventPump::Source Source() {
        return [this](MonitorEvent& e) {
            if (events.empty()) return false;
            e = events.front();
            events.pop_front();
            return true;
        };
    }
    EventPump::LossCounter Lost() {
        return [this] { return lost; };
    }
};

TEST(EventPump, MonitorEntriesAndDumpsReachTheirOwnReceivers) {
    FakeQueue q;
    EventPump pump(q.Source(), q.Lost());
    QStringList lines;
    std::vector<uint8_t> dumps;
    pump.SetMonitorSink([&](const QStringList& l) { lines << l; });
    pump.SetDumpSink([&](const MonitorEvent& e) { dumps.push_back(e.received[5]); });

    q.events = {Short(MakeShort(0xB0, 0x4A, 0x40), MakeShort(0xB0, 0x07, 0x40)), Dump(0x0B),
                Short(MakeShort(0x90, 0x3C, 0x7F), {}), Dump(0x0C)};
    EXPECT_EQ(pump.Drain(), 4);
    ASSERT_EQ(lines.size(), 2);
    EXPECT_TRUE(lines[0].endsWith("    B0 4A 40       =>   B0 07 40       \n"))
        << lines[0].toStdString();
    EXPECT_TRUE(lines[1].endsWith("    90 3C 7F       =>   00 00 00       \n"))
        << lines[1].toStdString();
    EXPECT_EQ(dumps, (std::vector<uint8_t>{0x0B, 0x0C}));
    EXPECT_TRUE(q.events.empty());
}

TEST(EventPump, RecordsForNoOneAreDroppedAndTheTimerSleeps) {
    FakeQueue q;
    EventPump pump(q.Source(), q.Lost());
    QStringList lines;
    pump.SetMonitorSink([&](const QStringList& l) { lines << l; });
    q.events = {Dump(1), Short(MakeShort(0x90), MakeShort(0x90))};
    EXPECT_EQ(pump.Drain(), 2);  // the dump has no receiver: gone, not kept for later
    EXPECT_EQ(lines.size(), 1);

    int dumps = 0;
    pump.SetDumpSink([&](const MonitorEvent&) { ++dumps; });
    q.events = {Dump(2)};
    pump.Drain();
    EXPECT_EQ(dumps, 1);

    pump.SetMonitorSink({});
    pump.SetDumpSink({});
    EXPECT_FALSE(pump.HasMonitorSink());
    q.events = {Short(MakeShort(0x90), MakeShort(0x90))};
    QTest::qWait(3 * EventPump::kIntervalMs);
    EXPECT_EQ(q.events.size(), 1u);  // no receiver: the timer does not run
}

TEST(EventPump, TheTimerDeliversWithoutBeingAsked) {
    FakeQueue q;
    EventPump pump(q.Source(), q.Lost());
    QStringList lines;
    pump.SetMonitorSink([&](const QStringList& l) { lines << l; });
    q.events = {Short(MakeShort(0xF8), MakeShort(0xF8))};
    EXPECT_TRUE(QTest::qWaitFor([&] { return !lines.isEmpty(); }, 2000));
}

TEST(EventPump, ABigBacklogIsTakenInBoundedBatches) {
    FakeQueue q;
    EventPump pump(q.Source(), q.Lost());
    int batches = 0;
    qsizetype total = 0;
    pump.SetMonitorSink([&](const QStringList& l) {
        ++batches;
        total += l.size();
    });
    for (int i = 0; i < EventPump::kMaxPerDrain + 10; ++i)
        q.events.push_back(Short(MakeShort(0xF8), MakeShort(0xF8)));
    EXPECT_EQ(pump.Drain(), EventPump::kMaxPerDrain);
    EXPECT_EQ(pump.Drain(), 10);
    EXPECT_EQ(batches, 2);
    EXPECT_EQ(total, EventPump::kMaxPerDrain + 10);
}

TEST(EventPump, LostEntriesAreToldOnceInTheMonitor) {
    FakeQueue q;
    q.lost = {5, 0, 0, 0};  // lost before the pump existed: not this window's business
    EventPump pump(q.Source(), q.Lost());
    QStringList lines;
    pump.SetMonitorSink([&](const QStringList& l) { lines << l; });
    // An incomplete message has a line of its own: not one the window missed.
    q.lost = {12, 1, 0, 4};
    q.events = {Short(MakeShort(0x90), MakeShort(0x90))};
    pump.Drain();
    ASSERT_EQ(lines.size(), 3);
    EXPECT_EQ(lines[1],
              "-- 7 entries not shown: they came faster than the window could take them --\n");
    EXPECT_EQ(lines[2], "-- 1 message not sent: the output of its cycle was full --\n");
    lines.clear();
    pump.Drain();
    EXPECT_TRUE(lines.isEmpty());
}

// The whole way: a message at the pass-through's input, translated, queued,
// drained on the window's thread and shown in the open monitor window.
TEST(MonitorWindow, ShowsWhatThePassThroughHandles) {
    test::ShellState shell;
    AppState& state = *shell.state;
    state.table.Set(Entry::KNOB01, "007");
    ASSERT_TRUE(state.ports->Start(nullptr));
    state.passThrough->Start();
    state.settings.WriteValue("MONITOR", "STATE", "1");

    QWidget owner;
    CMonitorDlg* dlg = ShowMonitorWindow(&owner, state);
    EXPECT_EQ(dlg->objectName(), "CMonitorDlg");
    EXPECT_TRUE(state.passThrough->MonitorLogging());
    shell.midi->Deliver({0xB0, 0x4A, 0x40});
    EXPECT_TRUE(QTest::qWaitFor([&] { return !dlg->Log()->toPlainText().isEmpty(); }, 5000));
    const QString shown = dlg->Log()->toPlainText();
    res::Item<QPushButton>(dlg, 1109)->click();
    EXPECT_TRUE(shown.endsWith("    B0 4A 40       =>   B0 07 40       \n")) << shown.toStdString();
    // Closed, the window takes nothing more.
    EXPECT_FALSE(state.passThrough->MonitorLogging());
    EXPECT_FALSE(state.events->HasMonitorSink());
    // The message itself went out translated.
    ASSERT_FALSE(shell.midi->Sent().empty());
    EXPECT_EQ(shell.midi->Sent().back(), (std::vector<uint8_t>{0xB0, 0x07, 0x40}));
}

TEST(MonitorWindow, StoppedLoggingShowsNothing) {
    test::ShellState shell;
    AppState& state = *shell.state;
    ASSERT_TRUE(state.ports->Start(nullptr));
    state.passThrough->Start();
    QWidget owner;
    CMonitorDlg* dlg = ShowMonitorWindow(&owner, state);
    EXPECT_FALSE(state.passThrough->MonitorLogging());
    shell.midi->Deliver({0x90, 0x3C, 0x40});
    QTest::qWait(5 * EventPump::kIntervalMs);
    EXPECT_EQ(dlg->Log()->toPlainText(), "");
    EXPECT_EQ(shell.midi->Sent().size(), 1u);  // forwarding does not depend on the monitor
}

TEST(MonitorWindow, EntriesLeftAtClosingDoNotAppearAtTheNextOpening) {
    test::ShellState shell;
    AppState& state = *shell.state;
    ASSERT_TRUE(state.ports->Start(nullptr));
    state.passThrough->Start();
    state.settings.WriteValue("MONITOR", "STATE", "1");
    // Closed in the same turn as the message came, before the window took it.
    QWidget owner;
    CMonitorDlg* dlg = ShowMonitorWindow(&owner, state);
    shell.midi->Deliver({0x90, 0x3C, 0x40});
    dlg->close();

    EXPECT_EQ(ShowMonitorWindow(&owner, state), dlg);  // the one window, opened again
    QTest::qWait(5 * EventPump::kIntervalMs);
    EXPECT_EQ(dlg->Log()->toPlainText(), "");
}

}  // namespace
}  // namespace ostrel
