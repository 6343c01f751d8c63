#include "app/monitor_feed.h"

#include <algorithm>

namespace ostrel {

MonitorFeed::MonitorFeed(Sink sink, QObject* parent) : QObject(parent), sink_(std::move(sink)) {
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, &MonitorFeed::Flush);
}

void MonitorFeed::Add(const QStringList& lines) {
    if (lines.isEmpty()) return;
    const bool quiet = !sinceHanded_.isValid() || sinceHanded_.elapsed() >= kIntervalMs;
    if (quiet && !timer_.isActive()) {
        sink_(lines);
        sinceHanded_.start();
        return;
    }
    pending_ += lines;
    if (!timer_.isActive())
        timer_.start(std::max<int>(0, kIntervalMs - static_cast<int>(sinceHanded_.elapsed())));
}

void MonitorFeed::Flush() {
    timer_.stop();
    if (pending_.isEmpty()) return;
    const QStringList lines = std::move(pending_);
    pending_.clear();
    sink_(lines);
    sinceHanded_.start();
}

void MonitorFeed::Drop() {
    timer_.stop();
    pending_.clear();
}

}  // namespace ostrel
