#include "app/monitor_feed.h"

#include <algorithm>

namespace ostrel {

MonitorFeed::MonitorFeed(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MonitorFeed::Flush);
}

void MonitorFeed::Add(const QStringList& lines) {
    for (const QString& line : lines) tail_.AddLine(line);
    EndBatch();
}

void MonitorFeed::EndBatch() {
    if (held_ || tail_.IsEmpty()) return;
    const bool quiet = !sinceHanded_.isValid() || sinceHanded_.elapsed() >= kIntervalMs;
    if (quiet && !timer_.isActive()) {
        Flush();
        return;
    }
    if (!timer_.isActive())
        timer_.start(std::max<int>(0, kIntervalMs - static_cast<int>(sinceHanded_.elapsed())));
}

void MonitorFeed::Flush() {
    timer_.stop();
    if (tail_.IsEmpty()) return;
    sink_(tail_.Take());
    sinceHanded_.start();
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
