#include "app/monitor_feed.h"

#include <algorithm>

namespace ostrel {

MonitorFeed::MonitorFeed(Sink sink, QObject* parent, std::function<qsizetype()> linesInView)
    : QObject(parent), sink_(std::move(sink)), linesInView_(std::move(linesInView)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MonitorFeed::Flush);
}

void MonitorFeed::Add(const QStringList& lines) {
    for (const QString& line : lines) tail_.AddLine(line);
    EndBatch();
}

void MonitorFeed::EndBatch() {
    if (held_ || tail_.IsEmpty()) return;
    const bool quiet = !sinceHanded_.isValid() || sinceHanded_.elapsed() >= interval_;
    if (quiet && !timer_.isActive()) {
        Flush();
        return;
    }
    if (!timer_.isActive())
        timer_.start(std::max<int>(0, interval_ - static_cast<int>(sinceHanded_.elapsed())));
}

void MonitorFeed::Flush() {
    timer_.stop();
    if (tail_.IsEmpty()) {
        Complete();  // an interval without a line: the stream rests
        return;
    }
    const MonitorTail::Handover lines =
        tail_.Take(linesInView_ ? linesInView_() : MonitorTail::kAllLines);
    interval_ = lines.emptiesLog ? kDenseIntervalMs : kIntervalMs;
    sink_(lines);
    sinceHanded_.start();
    // Held back lines follow after an interval, unless a new emptying drops them.
    if (tail_.HoldsBack() && !held_) timer_.start(interval_);
}

void MonitorFeed::Complete() {
    if (tail_.HoldsBack()) sink_(tail_.TakeHeldBack());
}

void MonitorFeed::Hold(bool held) {
    held_ = held;
    if (held_)
        timer_.stop();
    else
        Flush();
}

void MonitorFeed::Drop() {
    timer_.stop();
    tail_.Drop();
}

}  // namespace ostrel
