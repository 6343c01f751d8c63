#include "midi/monitor_line.h"

#include <algorithm>
#include <cstdio>

#include "midi/short_message.h"
#include "store/hex_text.h"

namespace ostrel {
namespace {

constexpr size_t kShownBytes = sizeof(MonitorEvent{}.received);

void AppendTime(std::string& line, std::time_t time) {
    std::tm local{};
    localtime_r(&time, &local);
    char text[32] = {};
    std::strftime(text, sizeof text, "%y-%m-%d %H:%M:%S", &local);
    line += text;
}

// Each byte as "%02x ", at most the first 256, then " ..." when there were more.
void AppendBytes(std::string& line, const uint8_t* bytes, size_t length) {
    line += FormatHexText(bytes, std::min(length, kShownBytes), HexCase::Lower);
    if (length > kShownBytes) line += " ...";
}

}  // namespace

std::string FormatMonitorLine(const MonitorEvent& event) {
    std::string line;
    switch (event.kind) {
        case MonitorEvent::Kind::ReceivedDump:
            return line;
        case MonitorEvent::Kind::ShortMessage: {
            AppendTime(line, event.time);
            char text[64] = {};
            std::snprintf(text, sizeof text,
                          "    %02X %02X %02X       =>   %02X %02X %02X       \n",
                          PackedByte(event.packedIn, 0), PackedByte(event.packedIn, 1),
                          PackedByte(event.packedIn, 2), PackedByte(event.packedOut, 0),
                          PackedByte(event.packedOut, 1), PackedByte(event.packedOut, 2));
            line += text;
            return line;
        }
        case MonitorEvent::Kind::Released: {
            // Sent by Ostrel on its own (a held note or pedal released): nothing
            // was received for it.
            AppendTime(line, event.time);
            char text[64] = {};
            std::snprintf(text, sizeof text, "    -- -- --       =>   %02X %02X %02X       \n",
                          PackedByte(event.packedOut, 0), PackedByte(event.packedOut, 1),
                          PackedByte(event.packedOut, 2));
            line += text;
            return line;
        }
        case MonitorEvent::Kind::LongMessage:
            break;
    }
    AppendTime(line, event.time);
    line += "   ";
    AppendBytes(line, event.received, event.receivedLength);
    if (event.changedCount == 0) {
        line += "    => No Change \r\n";
        return line;
    }
    line += "=> :";
    if (event.outLength <= 0)
        line += "MASK ";
    else
        AppendBytes(line, event.sent, static_cast<size_t>(event.outLength));
    line += "\n";
    return line;
}

std::string FormatDumpText(const MonitorEvent& event) {
    return FormatHexText(event.received, std::min<size_t>(event.receivedLength, kShownBytes));
}

}  // namespace ostrel
