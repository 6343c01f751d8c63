#include "app/monitor_tail.h"

#include <cstddef>
#include <iterator>

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
        Keep({QString(), true, event.kind, event.time, event.in, event.out,
              FixedLength(event.kind)});
        return;
    }
    AddLine(QString::fromStdString(FormatMonitorLine(event, explain)));
}

void MonitorTail::AddLine(const QString& line) {
    QString text = line;
    text.remove(u'\r');
    Entry entry;
    entry.length = text.size();
    entry.text = std::move(text);
    Keep(std::move(entry));
}

void MonitorTail::Keep(Entry entry) {
    // As appending entry by entry would: the entry that passes the limit is
    // lost with everything before it, and the log starts again empty.
    if ((emptied_ ? 0 : logLength_) + keptLength_ + entry.length > limit_) {
        emptied_ = true;
        kept_.clear();
        keptLength_ = 0;
        heldBack_.clear();
        heldBackLength_ = 0;
        return;
    }
    keptLength_ += entry.length;
    kept_.push_back(std::move(entry));
}

QString MonitorTail::Text(Entry& entry) {
    if (!entry.waits) return std::move(entry.text);
    MonitorEvent event;
    event.kind = entry.kind;
    event.time = entry.time;
    event.in = entry.in;
    event.out = entry.out;
    return PlainLine(FormatMonitorLine(event));
}

QStringList MonitorTail::Lines(std::vector<Entry>& entries, size_t from, size_t to) {
    QStringList lines;
    lines.reserve(static_cast<qsizetype>(to - from));
    for (size_t i = from; i < to; ++i) lines.append(Text(entries[i]));
    return lines;
}

MonitorTail::Handover MonitorTail::Take(qsizetype shown) {
    Handover handover;
    handover.emptiesLog = emptied_;
    // The log grows: what it holds is completed first.
    if (!emptied_) handover.before = TakeHeldBack().before;
    size_t from = 0;
    if (emptied_ && static_cast<qsizetype>(kept_.size()) > shown) {
        from = kept_.size() - static_cast<size_t>(shown);
        heldBack_.assign(std::make_move_iterator(kept_.begin()),
                         std::make_move_iterator(kept_.begin() + static_cast<ptrdiff_t>(from)));
        for (const Entry& entry : heldBack_) heldBackLength_ += entry.length;
    }
    static_cast<QStringList&>(handover) = Lines(kept_, from, kept_.size());
    logLength_ = (emptied_ ? 0 : logLength_) + keptLength_;
    emptied_ = false;
    kept_.clear();
    keptLength_ = 0;
    return handover;
}

MonitorTail::Handover MonitorTail::TakeHeldBack() {
    Handover handover;
    handover.before = Lines(heldBack_, 0, heldBack_.size());
    heldBack_.clear();
    heldBackLength_ = 0;
    return handover;
}

void MonitorTail::Drop() {
    emptied_ = false;
    kept_.clear();
    keptLength_ = 0;
    DropHeldBack();
}

void MonitorTail::DropHeldBack() {
    logLength_ -= heldBackLength_;
    heldBack_.clear();
    heldBackLength_ = 0;
}

}  // namespace ostrel
