#pragma once
// The monitor's entries on their way to the log, kept as the log will keep
// them. The log is emptied whenever its text grows beyond a limit; at a dense
// stream most entries fall before the last emptying of a hand-over and would
// never be seen. So each entry only counts its length as it comes, and is
// turned into text when the log takes it: a short message's line has the same
// length whatever its bytes and time (fixed-width fields), so those wait
// unformatted; any other entry is formatted as it comes.
// At an emptying only the lines that fill the view need to go to the log at
// once: the earlier ones are held back, unformatted, and go in before the
// others when the log next grows without emptying, or when asked (the stream
// rests, the user turns to the log). A dense stream empties the log at every
// hand-over, so those lines are never formatted nor laid out.
#include <QString>
#include <QStringList>
#include <ctime>
#include <limits>
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
    // edit); the entries still waiting come after them, the lines held back
    // before them.
    void SetLogLength(qsizetype length) { logLength_ = length + heldBackLength_; }
    void AddEvent(const MonitorEvent& event, bool explain);
    // A line made already; carriage returns are left out, as the log holds plain lines.
    void AddLine(const QString& line);

    // Nothing to hand over: no entry waits and the log is not to be emptied.
    bool IsEmpty() const { return !emptied_ && kept_.empty(); }

    // Lines held back at the last emptying wait to go in before the log's text.
    bool HoldsBack() const { return !heldBack_.empty(); }

    // The lines the log takes, in order.
    struct Handover : QStringList {
        bool emptiesLog = false;  // the log is emptied before them
        QStringList before;       // go in before all the log holds (held back)
    };
    // What the log takes now; the tail is empty afterwards. When the log is
    // emptied, at most `shown` lines are handed on and those before them held
    // back; the next hand-over that does not empty the log brings them first.
    Handover Take(qsizetype shown = kAllLines);
    // Only the lines held back, to go in before the log's text.
    Handover TakeHeldBack();
    // Everything waiting is forgotten (the window closed).
    void Drop();
    // The lines held back are forgotten (the log was cleared).
    void DropHeldBack();

    static constexpr qsizetype kAllLines = std::numeric_limits<qsizetype>::max();

  private:
    struct Entry {
        QString text;
        bool waits = false;  // unformatted: made of the fields below when taken
        MonitorEvent::Kind kind = MonitorEvent::Kind::ShortMessage;
        std::time_t time = 0;
        ShortMessage in, out;
        qsizetype length = 0;
    };
    void Keep(Entry entry);
    static QString Text(Entry& entry);
    static QStringList Lines(std::vector<Entry>& entries, size_t from, size_t to);

    qsizetype limit_;
    qsizetype logLength_ = 0;
    bool emptied_ = false;
    std::vector<Entry> kept_;  // the entries since the last emptying
    qsizetype keptLength_ = 0;
    std::vector<Entry> heldBack_;  // the earliest lines of the last emptying
    qsizetype heldBackLength_ = 0;
};

}  // namespace ostrel
