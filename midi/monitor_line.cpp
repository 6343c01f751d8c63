#include "midi/monitor_line.h"

#include <algorithm>
#include <cstdio>

#include "core/short_message.h"
#include "store/hex_text.h"

namespace ostrel {
namespace {

constexpr size_t kShownBytes = kRecordedBytes;

// The text of the last second asked for is kept: a busy monitor has hundreds
// of lines a second, all of the same second.
void AppendTime(std::string& line, std::time_t time) {
    thread_local std::time_t cachedTime = -1;
    thread_local char text[32] = {};
    if (time != cachedTime) {
        std::tm local{};
        localtime_r(&time, &local);
        std::strftime(text, sizeof text, "%y-%m-%d %H:%M:%S", &local);
        cachedTime = time;
    }
    line += text;
}

// Three bytes as "%02X %02X %02X", written over the 8 characters at text.
void PutThreeBytes(char* text, const uint8_t* bytes) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int i = 0; i < 3; ++i) {
        text[i * 3] = kDigits[bytes[i] >> 4];
        text[i * 3 + 1] = kDigits[bytes[i] & 15];
    }
}

// A short message, or a release that Ostrel sent on its own (a held note or
// pedal released), for which nothing was received: "-- -- --".
void AppendShortLine(std::string& line, const MonitorEvent& event) {
    AppendTime(line, event.time);
    char text[] = "    -- -- --       =>   -- -- --       \n";
    if (event.kind != MonitorEvent::Kind::Released) PutThreeBytes(text + 4, event.in.bytes);
    PutThreeBytes(text + 24, event.out.bytes);
    line.append(text, sizeof text - 1);
}

// Each byte as "%02x ", at most the first 256, then " ..." when there were more.
void AppendBytes(std::string& line, const uint8_t* bytes, size_t length) {
    line += FormatHexText(bytes, std::min(length, kShownBytes), HexCase::Lower);
    if (length > kShownBytes) line += " ...";
}

std::string PlainLine(const MonitorEvent& event);

void AppendPart(std::string& text, const char* name, const AssignmentCode& code) {
    if (!text.empty()) text += ' ';
    text += '[';
    text += name;
    text += ' ';
    // A hand-edited file can leave blanks, NULs or other bytes in a cell.
    for (int i = 0; i < 3; ++i)
        text += code.text[i] > ' ' && code.text[i] < 127 ? code.text[i] : '?';
    text += ']';
}

void AppendWords(std::string& text, const char* words) {
    if (!text.empty()) text += ' ';
    text += words;
}

// Puts the explanation in front of the line end ("\n" or "\r\n"), in place of
// the blanks that end the line, so that it stays within the monitor's width.
void Explain(std::string& line, const MonitorEvent& event) {
    const std::string text = DecisionText(event.decision, event.codes);
    if (text.empty()) return;
    size_t end = line.size();
    while (end > 0 && (line[end - 1] == '\n' || line[end - 1] == '\r')) --end;
    size_t blanks = end;
    while (blanks > 0 && line[blanks - 1] == ' ') --blanks;
    line.replace(blanks, end - blanks, " " + text);
}

}  // namespace

std::string DecisionText(const Decision& d, const DecidingCodes& codes) {
    std::string text;
    // The ledger decided, not the table: its cells say nothing of what happened.
    if (d.changedBy & kReleasedBefore) return "[RELEASED ###]";
    if (d.changedBy & kByTrigger) return "[TRIGGER]";
    if (d.changedBy & kByLedger) {
        if (d.heldOn == kHeldSuppressed) return "[HELD ###]";
        char held[16] = {};
        std::snprintf(held, sizeof held, "[HELD %03d]", d.heldOn + 1);
        return held;
    }
    if (d.entry != kNoEntry) AppendPart(text, EntryName(EntryAt(d.entry)), codes.entry);
    if (d.note != kNoNote) {
        char name[8] = {};
        std::snprintf(name, sizeof name, "NOTE %02X", d.note);
        AppendPart(text, name, codes.note);
    }
    // A curve changes a value by the points in force, which a drag in the curve
    // dialog moves without touching the TOUCH or CURVE cell: the cell's code
    // ("***") would read as "unchanged". It is named as the curve in force.
    if (d.changedBy & kByTouchCurve) AppendWords(text, "[touch curve]");
    if (d.changedBy & kByVelocityCurve) AppendWords(text, "[velocity curve]");
    if (d.changedBy & kByChannel) AppendPart(text, EntryName(Entry::CHANEL), codes.channel);
    return text;
}

std::string FormatMonitorLine(const MonitorEvent& event, bool explain) {
    std::string line = PlainLine(event);
    if (explain && event.kind != MonitorEvent::Kind::ReceivedDump) Explain(line, event);
    return line;
}

bool AppendMonitorLine(std::string& text, const MonitorEvent& event, bool explain) {
    if (event.kind == MonitorEvent::Kind::ReceivedDump) return false;
    const bool shortLine = event.kind == MonitorEvent::Kind::ShortMessage ||
                           event.kind == MonitorEvent::Kind::Released;
    if (shortLine && !explain)
        AppendShortLine(text, event);  // the most of a busy monitor's lines, built in place
    else
        text += FormatMonitorLine(event, explain);
    return true;
}

namespace {

std::string PlainLine(const MonitorEvent& event) {
    std::string line;
    switch (event.kind) {
        case MonitorEvent::Kind::ReceivedDump:
            return line;
        case MonitorEvent::Kind::ShortMessage:
        case MonitorEvent::Kind::Released:
            AppendShortLine(line, event);
            return line;
        case MonitorEvent::Kind::Incomplete: {
            // Received without all its data bytes: the missing ones show as --.
            AppendTime(line, event.time);
            char text[64] = {};
            std::snprintf(text, sizeof text, "    %02X", event.in.bytes[0]);
            line += text;
            for (int i = 1; i < 3; ++i) {
                std::snprintf(text, sizeof text, " %02X", event.in.bytes[i]);
                line += i < event.in.length ? text : " --";
            }
            line += "       => Incomplete, not sent \n";
            return line;
        }
        case MonitorEvent::Kind::SceneSwitch:
            return FormatSceneLine(event);
        case MonitorEvent::Kind::Panic:
            AppendTime(line, event.time);
            line += "    panic: " + std::to_string(event.scene) +
                    (event.scene == 1 ? " held note or pedal" : " held notes and pedals") +
                    " released; all sound off, reset all controllers and all notes off on "
                    "channels 1-16\n";
            return line;
        case MonitorEvent::Kind::LongMessage:
            break;
    }
    AppendTime(line, event.time);
    line += "   ";
    AppendBytes(line, event.received, event.receivedLength);
    if (event.tooLarge) {
        line += "    => Not Sent: larger than the output port carries \r\n";
        return line;
    }
    if (event.matchedSteps == 0) {
        line += "    => No Change \r\n";
        return line;
    }
    line += "=> :";
    if (event.outLength <= 0) {
        line += "MASK ";
    } else if (event.sent[0] != midi::kSystemExclusive) {
        // Replaced by a control change: shown as the engine writes it, in four
        // bytes, the last one 0.
        const uint8_t control[4] = {event.sent[0], event.sent[1], event.sent[2], 0};
        AppendBytes(line, control, sizeof control);
    } else {
        AppendBytes(line, event.sent, static_cast<size_t>(event.outLength));
    }
    line += "\n";
    return line;
}

}  // namespace

std::string FormatSceneLine(const MonitorEvent& event, const std::string& file) {
    std::string line;
    AppendTime(line, event.time);
    if (event.scene >= event.sceneCount) {
        char text[64] = {};
        std::snprintf(text, sizeof text, "    %02X %02X %02X       => no scene %d\n",
                      event.in.bytes[0], event.in.bytes[1], event.in.bytes[2], event.scene + 1);
        return line + text;
    }
    line += "    " + SceneName(event.scene, event.sceneCount, file) + "\n";
    return line;
}

std::vector<std::string> LossLines(const Losses& since, const char* reader) {
    std::vector<std::string> lines;
    const auto say = [&](uint64_t count, const std::string& one, const std::string& many) {
        if (count == 0) return;
        lines.push_back("-- " + std::to_string(count) + (count == 1 ? one : many) + " --\n");
    };
    const std::string who(reader);
    say(since.notShown, " entry not shown: it came faster than " + who + " could take it",
        " entries not shown: they came faster than " + who + " could take them");
    say(since.outputFull, " message not sent: the output of its cycle was full",
        " messages not sent: the output of their cycle was full");
    say(since.tooLarge, " message not sent: larger than the output port carries",
        " messages not sent: larger than the output port carries");
    return lines;
}

std::string FormatDumpText(const MonitorEvent& event) {
    return FormatHexText(event.received, std::min<size_t>(event.receivedLength, kShownBytes));
}

}  // namespace ostrel
