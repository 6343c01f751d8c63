#pragma once
// The monitor's entries on their way to the log, kept as the log will keep
// them. The log is emptied whenever its text grows beyond a limit; at a dense
// stream most entries fall before the last emptying of a hand-over and would
// never be seen. So each entry only counts its length as it comes, and is
// turned into text when the log takes it: a short message's line has the same
// length whatever its bytes and time (fixed-width fields), so those wait
// unformatted; any other entry is formatted as it comes.
#include <QString>
#include <QStringList>
#include <ctime>
#include <vector>

#include "core/short_message.h"
#include "midi/pass_through.h"

namespace ostrel {

// Longer than this after an append, the log is emptied.
inline constexpr qsizetype kMonitorTextLimit = 10240;

class MonitorTail {
  public:
    explicit MonitorTail(qsizetype limit = kMonitorTextLimit) : limit_(limit) {}

    // The log holds this many characters now (after a hand-over, a Clear, an
    // edit); the entries still waiting come after them.
    void SetLogLength(qsizetype length) { logLength_ = length; }
    void AddEvent(const MonitorEvent& event, bool explain);
    // A line made already; carriage returns are left out, as the log holds plain lines.
    void AddLine(const QString& line);

    // Nothing to hand over: no entry waits and the log is not to be emptied.
    bool IsEmpty() const { return !emptied_ && kept_.empty(); }

    // The lines the log takes, in order.
    struct Handover : QStringList {
        bool emptiesLog = false;  // the log is emptied before them
    };
    // What the log takes now; the tail is empty afterwards.
    Handover Take();
    // Everything waiting is forgotten (the window closed).
    void Drop();

  private:
    struct Entry {
        QString text;
        bool waits = false;  // unformatted: made of the fields below when taken
        MonitorEvent::Kind kind = MonitorEvent::Kind::ShortMessage;
        std::time_t time = 0;
        ShortMessage in, out;
    };
    void Keep(Entry entry, qsizetype length);

    qsizetype limit_;
    qsizetype logLength_ = 0;
    bool emptied_ = false;
    std::vector<Entry> kept_;  // the entries since the last emptying
    qsizetype keptLength_ = 0;
};

}  // namespace ostrel
