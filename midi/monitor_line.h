#pragma once
// The texts that the monitor window and the receive dialog show for the records
// of the pass-through's event queue. Built by the consumer (window or command
// line), never on the MIDI thread.
#include <string>
#include <vector>

#include "midi/pass_through.h"

namespace ostrel {

// One monitor line: the local time of arrival ("%y-%m-%d %H:%M:%S") followed by
// - a short message: "    %02X %02X %02X       =>   %02X %02X %02X       \n" of the
//   three received and the three sent bytes (00 00 00 when suppressed);
// - a long message: three blanks, each received byte "%02x ", then
//   "    => No Change \r\n" when nothing changed it, else "=> :", "MASK " when it
//   was suppressed or each sent byte "%02x ", and a line feed.
// A message longer than 256 bytes shows its first 256 bytes followed by " ...".
// A received dump record is no monitor entry: the empty text.
// explain: the blanks that end the line give way to one blank and the entries
// that decided the message with their codes in force, e.g. "[KNOB01 007]",
// "[NOTE 3C 064]", "[CHANEL 005]" (see DecisionText), before the line end; a
// line whose message no entry decided stays as it is.
std::string FormatMonitorLine(const MonitorEvent& event, bool explain = false);
// The same line appended to text, for a reader that writes many at once. False,
// with text unchanged, for a record that is no monitor entry.
bool AppendMonitorLine(std::string& text, const MonitorEvent& event, bool explain = false);

// A scene entry: the time, then "    scene 2/7: organ.cfg\n" (the scene's
// number counted from 1, how many there are, and its file when given); for a
// program change past the last scene, "    C0 07 00       => no scene 8\n".
std::string FormatSceneLine(const MonitorEvent& event, const std::string& file = "");

// The entries that a decision names, each "[NAME CODE]", separated by blanks:
// the control entry, the note ("NOTE" and its number in hex) and the output
// channel ("CHANEL"); a curve that changed the value is named as
// "[touch curve]" or "[velocity curve]". Where
// the ledger of held notes decided: "[HELD 009]" (the end went to channel 9,
// where its start went) or "[RELEASED ###]" (left out: Ostrel had released it);
// where the setlist took it as a trigger: "[TRIGGER]".
std::string DecisionText(const Decision& decision, const DecidingCodes& codes);

// The monitor's lines for what was lost since its last batch, one for each
// cause that lost something, in its own words ("-- 3 entries not shown: they
// came faster than the window could take them --"; "-- 1 message not sent:
// the output of its cycle was full --"; "... larger than the output port
// carries --"), each ending with a line feed. reader: who could not take the
// entries ("the window"). An incomplete message has a line of its own already
// and adds nothing here.
std::vector<std::string> LossLines(const Losses& since, const char* reader);

// The received bytes as the receive dialog shows them: "%02X " for each byte,
// upper case, the last one followed by a blank too (at most the first 256).
std::string FormatDumpText(const MonitorEvent& event);

}  // namespace ostrel
