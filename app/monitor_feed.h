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
    MonitorFeed(Sink sink, QObject* parent);

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
    // The lines gathered are dropped (the window closed).
    void Drop();
    // While held (the window minimised), the lines gathered wait; released,
    // they go to the window at once.
    void Hold(bool held);

    static constexpr int kIntervalMs = 100;

  private:
    Sink sink_;
    MonitorTail tail_;
    QTimer timer_;
    QElapsedTimer sinceHanded_;
    bool held_ = false;
};

}  // namespace ostrel
