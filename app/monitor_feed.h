#pragma once
// Hands the monitor window its lines at most about ten times a second. The
// event pump drains the queue every 30 ms, and laying out the log anew for each
// of those batches cost more than everything else the window does; so a dense
// stream's batches are gathered and laid out once for every interval. The first
// batch after a quiet interval goes on at once, so a single message shows
// without delay.
#include <QElapsedTimer>
#include <QObject>
#include <QStringList>
#include <QTimer>
#include <functional>

namespace ostrel {

class MonitorFeed : public QObject {
    Q_OBJECT
  public:
    using Sink = std::function<void(const QStringList& lines)>;
    MonitorFeed(Sink sink, QObject* parent);

    void Add(const QStringList& lines);
    // The lines gathered go to the window now.
    void Flush();
    // The lines gathered are dropped (the window closed).
    void Drop();

    static constexpr int kIntervalMs = 100;

  private:
    Sink sink_;
    QStringList pending_;
    QTimer timer_;
    QElapsedTimer sinceHanded_;
};

}  // namespace ostrel
