#include "app/event_pump.h"

#include "midi/monitor_line.h"

namespace ostrel {

// Formats every entry and hands each batch's lines on.
class EventPump::LineCollector final : public MonitorReceiver {
  public:
    explicit LineCollector(LineSink sink) : sink_(std::move(sink)) {}
    void AddEvent(const MonitorEvent& event, bool explain) override {
        lines_.append(QString::fromStdString(FormatMonitorLine(event, explain)));
    }
    void AddLine(const QString& line) override { lines_.append(line); }
    void EndBatch() override {
        const QStringList lines = std::move(lines_);
        lines_.clear();
        // A copy: the sink may unregister, which ends this collector.
        const LineSink sink = sink_;
        sink(lines);
    }

  private:
    LineSink sink_;
    QStringList lines_;
};

EventPump::EventPump(PassThrough& passThrough, QObject* parent)
    : EventPump([&passThrough](MonitorEvent& e) { return passThrough.PopEvent(e); },
                [&passThrough] { return passThrough.LossCounts(); }, parent) {}

EventPump::EventPump(Source source, LossCounter lost, QObject* parent)
    : QObject(parent), source_(std::move(source)), lost_(std::move(lost)) {
    timer_.setInterval(kIntervalMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Drain(); });
    if (lost_) lostSeen_ = lost_();
}

EventPump::~EventPump() = default;

void EventPump::SetMonitorReceiver(MonitorReceiver* receiver) {
    monitor_ = receiver;
    if (monitor_ != lineCollector_.get()) lineCollector_.reset();
    UpdateTimer();
}

void EventPump::SetMonitorSink(LineSink sink) {
    auto collector = sink ? std::make_unique<LineCollector>(std::move(sink)) : nullptr;
    SetMonitorReceiver(collector.get());
    lineCollector_ = std::move(collector);
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
    if (monitor_ || dumpSink_ || messageSink_) {
        if (!timer_.isActive()) timer_.start();
    } else {
        timer_.stop();
    }
}

int EventPump::Drain() {
    if (!source_) return 0;
    MonitorEvent event;
    int taken = 0;
    bool added = false;  // to the monitor, in this batch
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
        if (!monitor_) continue;
        if (sceneNames_ && event.kind == MonitorEvent::Kind::SceneSwitch)
            monitor_->AddLine(
                QString::fromStdString(FormatSceneLine(event, sceneNames_(event.scene))));
        else
            monitor_->AddEvent(event, explain_);
        added = true;
    }
    if (lost_) {
        const Losses lost = lost_();
        if (lost != lostSeen_) {
            if (monitor_)
                for (const std::string& line : LossLines(lost - lostSeen_, "the window")) {
                    monitor_->AddLine(QString::fromStdString(line));
                    added = true;
                }
            lostSeen_ = lost;
        }
    }
    if (added && monitor_) monitor_->EndBatch();
    return taken;
}

}  // namespace ostrel
