#pragma once
// The live pass-through: owns the input and output ports, translates every
// message that arrives while Running and sends it on at once. Monitor entries and
// received dumps leave the MIDI thread through a bounded lock-free queue that the
// window (or the command line) drains; nothing on the MIDI path waits or allocates.
//
// CONTRACT for the window and the command line (implemented in midi/):
//   PassThrough(table, curves, services)  -- services: the MIDI system (RtMidi or a fake)
//   SetState / State                      -- PassThroughState, atomic
//   OpenInput(i) / CloseInput() / OpenOutput(i) / CloseOutput() / ReopenBoth(in, out)
//   IsInputOpen() / IsOutputOpen()
//   SendLong(bytes, n)                    -- one System Exclusive message, from the GUI thread
//   SetMonitorLogging(bool)               -- the monitor window is open and logging
//   SetReceiveHook(bool)                  -- the dump receive dialog is open
//   PopEvent(MonitorEvent&)               -- consumer side of the queue (one consumer thread)
//   DroppedEvents()                       -- entries lost because the queue was full
// and in midi/monitor_line.h:
//   std::string FormatMonitorLine(const MonitorEvent&)  -- the line text, time first
//   std::string FormatDumpText(const MonitorEvent&)     -- "F0 00 5A ... F7 " upper case
#include <atomic>
#include <cstdint>
#include <ctime>

#include "midi/pass_through_state.h"

namespace ostrel {

// One record of the queue, fixed size. A monitor entry carries what was received
// (up to 256 bytes shown, the real length kept) and what was sent; a dump entry
// carries the received bytes for the receive dialog.
struct MonitorEvent {
    enum class Kind : uint8_t { ShortMessage, LongMessage, ReceivedDump };
    Kind kind = Kind::ShortMessage;
    std::time_t time = 0;         // local time of arrival
    uint32_t receivedLength = 0;  // real length of the message (may exceed 256)
    uint32_t packedIn = 0;        // short: received bytes, lowest byte first
    uint32_t packedOut = 0;       // short: sent bytes (0 when suppressed)
    int changedCount = 0;         // long: 0 = no change
    int outLength = 0;            // long: sent length (0 = suppressed)
    uint8_t received[256] = {};   // long / dump: first 256 received bytes
    uint8_t sent[256] = {};       // long: first outLength bytes of the work buffer
};

}  // namespace ostrel
