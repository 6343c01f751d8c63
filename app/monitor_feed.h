#pragma once
// Hands the monitor window its lines at most about ten times a second. The
// event pump drains the queue more often than that (its queue would fill
// otherwise), and laying out the log anew for each of those batches cost more
// than everything else the window does; so a dense stream's batches are
// gathered and laid out once for every interval, and only the entries that the
// log will keep are turned into text (MonitorTail). The first batch after a
// quiet interval goes on at once, so a single message shows without delay.
// While the window is minimised nothing of its log can be seen: the lines wait
// (as the log would keep them) and go to it when it is shown again.
// A stream so dense that every hand-over empties the log shows only what came
// last in each: it is handed on about four times a second, which reads the
// same and lays out and paints the log less than half as often.
// When the log empties, only the lines that fill its view go to it; the rest
// follow when the stream rests for an interval, or at once when the user
// turns to the log (Complete).
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

#include "app/event_pump.h"
#include "app/monitor_tail.h"

namespace ostrel {

class MonitorFeed : public QObject, public MonitorReceiver {
    Q_OBJECT
  public:
    using Sink = std::function<void(const MonitorTail::Handover& lines)>;
    // linesInView tells how many lines the log shows; without it, all go at once.
    MonitorFeed(Sink sink, QObject* parent, std::function<qsizetype()> linesInView = {});

    void AddEvent(const MonitorEvent& event, bool explain) override {
        tail_.AddEvent(event, explain);
    }
    void AddLine(const QString& line) override { tail_.AddLine(line); }
    void EndBatch() override;
    // Lines made already, as one batch.
    void Add(const QStringList& lines);
    // The window's log holds this many characters now.
    void SetLogLength(qsizetype length) { tail_.SetLogLength(length); }
    // The lines gathered go to the window now.
    void Flush();
    // The lines held back at the last emptying go to the window now.
    void Complete();
    // The window's log was cleared: the lines held back are gone with it.
    void Cleared() { tail_.DropHeldBack(); }
    // The lines gathered are dropped (the window closed).
    void Drop();
    // While held (the window minimised), the lines gathered wait; released,
    // they go to the window at once.
    void Hold(bool held);

    static constexpr int kIntervalMs = 100;
    // After a hand-over that emptied the log.
    static constexpr int kDenseIntervalMs = 250;

  private:
    Sink sink_;
    std::function<qsizetype()> linesInView_;
    MonitorTail tail_;
    QTimer timer_;
    QElapsedTimer sinceHanded_;
    bool held_ = false;
    int interval_ = kIntervalMs;
};

}  // namespace ostrel
