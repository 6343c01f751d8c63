#include "app/monitor_tail.h"

#include "midi/monitor_line.h"

namespace ostrel {
namespace {

// Lines that can wait unformatted: their fields all have a fixed width.
bool HasFixedLength(MonitorEvent::Kind kind, bool explain) {
    return !explain &&
           (kind == MonitorEvent::Kind::ShortMessage || kind == MonitorEvent::Kind::Released);
}

QString PlainLine(const std::string& line) {
    QString text = QString::fromStdString(line);
    text.remove(u'\r');
    return text;
}

// The length of every line of this kind, measured on one.
qsizetype FixedLength(MonitorEvent::Kind kind) {
    static const auto measure = [](MonitorEvent::Kind k) {
        MonitorEvent sample;
        sample.kind = k;
        return PlainLine(FormatMonitorLine(sample)).size();
    };
    static const qsizetype shortLine = measure(MonitorEvent::Kind::ShortMessage);
    static const qsizetype released = measure(MonitorEvent::Kind::Released);
    return kind == MonitorEvent::Kind::Released ? released : shortLine;
}

}  // namespace

void MonitorTail::AddEvent(const MonitorEvent& event, bool explain) {
    if (HasFixedLength(event.kind, explain)) {
        Keep({QString(), true, event.kind, event.time, event.in, event.out},
             FixedLength(event.kind));
        return;
    }
    AddLine(QString::fromStdString(FormatMonitorLine(event, explain)));
}

void MonitorTail::AddLine(const QString& line) {
    QString text = line;
    text.remove(u'\r');
    Entry entry;
    entry.text = std::move(text);
    const qsizetype length = entry.text.size();
    Keep(std::move(entry), length);
}

void MonitorTail::Keep(Entry entry, qsizetype length) {
    // As appending entry by entry would: the entry that passes the limit is
    // lost with everything before it, and the log starts again empty.
    if ((emptied_ ? 0 : logLength_) + keptLength_ + length > limit_) {
        emptied_ = true;
        kept_.clear();
        keptLength_ = 0;
        return;
    }
    kept_.push_back(std::move(entry));
    keptLength_ += length;
}

MonitorTail::Handover MonitorTail::Take() {
    Handover handover;
    handover.emptiesLog = emptied_;
    handover.reserve(static_cast<qsizetype>(kept_.size()));
    for (Entry& entry : kept_) {
        if (!entry.waits) {
            handover.append(std::move(entry.text));
            continue;
        }
        MonitorEvent event;
        event.kind = entry.kind;
        event.time = entry.time;
        event.in = entry.in;
        event.out = entry.out;
        handover.append(PlainLine(FormatMonitorLine(event)));
    }
    logLength_ = (emptied_ ? 0 : logLength_) + keptLength_;
    Drop();
    return handover;
}

void MonitorTail::Drop() {
    emptied_ = false;
    kept_.clear();
    keptLength_ = 0;
}

}  // namespace ostrel
