#include "app/event_pump.h"

#include "midi/monitor_line.h"

namespace ostrel {

EventPump::EventPump(PassThrough& passThrough, QObject* parent)
    : EventPump([&passThrough](MonitorEvent& e) { return passThrough.PopEvent(e); },
                [&passThrough] { return passThrough.LossCounts(); }, parent) {}

EventPump::EventPump(Source source, LossCounter lost, QObject* parent)
    : QObject(parent), source_(std::move(source)), lost_(std::move(lost)) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Drain(); });
    if (lost_) lostSeen_ = lost_();
}

void EventPump::SetMonitorSink(LineSink sink) {
    monitorSink_ = std::move(sink);
    UpdateTimer();
}

void EventPump::SetDumpSink(DumpSink sink) {
    dumpSink_ = std::move(sink);
    UpdateTimer();
}

void EventPump::SetMessageSink(MessageSink sink) {
    messageSink_ = std::move(sink);
    UpdateTimer();
}

void EventPump::UpdateTimer() {
    if (monitorSink_ || dumpSink_ || messageSink_) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

int EventPump::Drain() {
    if (!source_) return 0;
    QStringList lines;
    MonitorEvent event;
    int taken = 0;
    while (taken < kMaxPerDrain && source_(event)) {
        ++taken;
        if (event.kind == MonitorEvent::Kind::ReceivedDump) {
            if (dumpSink_) dumpSink_(event);
            continue;
        }
        if (messageSink_ && event.kind == MonitorEvent::Kind::ShortMessage) {
            // A copy: the sink may end itself.
            const MessageSink sink = messageSink_;
            sink(event.in);
        }
        if (!monitorSink_) continue;
        const bool named = sceneNames_ && event.kind == MonitorEvent::Kind::SceneSwitch;
        lines.append(QString::fromStdString(named ? FormatSceneLine(event, sceneNames_(event.scene))
                                                  : FormatMonitorLine(event, explain_)));
    }
    if (lost_) {
        const Losses lost = lost_();
        if (lost != lostSeen_) {
            if (monitorSink_)
                for (const std::string& line : LossLines(lost - lostSeen_, "the window"))
                    lines.append(QString::fromStdString(line));
            lostSeen_ = lost;
        }
    }
    if (!lines.isEmpty() && monitorSink_) monitorSink_(lines);
    return taken;
}

}  // namespace ostrel
