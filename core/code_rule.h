#pragma once
// How the engine reads an assignment code: off, no change, a controller number,
// or something no list offers (a hand-edited configuration file can hold one).
#include <cstdint>

#include "core/assignment_code.h"

namespace ostrel {

enum class CodeAction : uint8_t {
    Suppress,  // "###"
    Pass,      // "***"
    Replace,   // "000".."127": controller number in `number`
    Unknown,   // anything else
};

struct CodeDecision {
    CodeAction action = CodeAction::Unknown;
    uint8_t number = 0;
};

// A digit code of value 0..127 gives Replace, whether it has three digits or, as a
// hand-edited file can hold it, one or two ("1" is controller 1); "###" and "***"
// give Suppress and Pass. Everything else (letters, blanks, values above 127,
// which would put a status byte into a data position) is Unknown; the engine
// passes such a message on unchanged rather than sending a malformed one.
inline CodeDecision DecideCode(const AssignmentCode& code) {
    if (code.IsOff()) return {CodeAction::Suppress, 0};
    if (code.IsNoChange()) return {CodeAction::Pass, 0};
    const int n = DigitCodeValue(code);
    if (n >= 0 && n <= 127) return {CodeAction::Replace, static_cast<uint8_t>(n)};
    return {CodeAction::Unknown, 0};
}

// The output channel of a CHANEL code: "001".."016" give 0..15; "***" and every
// other code give -1 (the channel stays as it is).
inline int ChannelOf(CodeDecision d) {
    return d.action == CodeAction::Replace && d.number >= 1 && d.number <= 16 ? d.number - 1 : -1;
}
inline int ChannelOfCode(const AssignmentCode& code) { return ChannelOf(DecideCode(code)); }

}  // namespace ostrel
