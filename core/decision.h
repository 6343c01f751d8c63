#pragma once
// Which parts of the assignment table decided what became of one message: the
// control entry that recognised it, the note whose note map cell was read, and
// the later steps that changed it. The engine fills it on the MIDI thread for
// every message (a few bytes, no allocation); the window lights the boxes it
// names and the monitor can print them.
#include <bit>
#include <cstdint>

#include "core/assignment_table.h"

namespace ostrel {

inline constexpr int8_t kNoEntry = -1;
inline constexpr uint8_t kNoNote = 0xFF;

// The stage 2 steps that changed the message's bytes.
enum ChangedBy : uint8_t {
    kByNoteMap = 1,        // the note's cell suppressed it or turned it into a control change
    kByTouchCurve = 2,     // the touch curve gave another pressure
    kByVelocityCurve = 4,  // the velocity curve gave another velocity
    kByChannel = 8,        // CHANEL moved it to another channel
    // The ledger of held notes decided instead of the table: the end of a held
    // note or pedal went where its start went (heldOn), or was left out because
    // Ostrel had released it already.
    kByLedger = 16,
    kReleasedBefore = 32,
    // Taken by the setlist as a trigger, or part of a trigger's gesture: not sent.
    kByTrigger = 64,
};

// heldOn of a gesture whose start the table suppressed: its moves and its end
// are suppressed too.
inline constexpr uint8_t kHeldSuppressed = 0xFF;

struct Decision {
    int8_t entry = kNoEntry;  // the control entry (KNOB01 .. ACTIVE) that recognised it
    uint8_t note = kNoNote;   // the note map cell that the note map step read
    uint8_t changedBy = 0;    // ChangedBy bits
    uint8_t heldOn = 0;       // kByLedger: the output channel (0-15) the start went to, or
                              // kHeldSuppressed

    // entry kNoEntry, note kNoNote and changedBy 0, read as one word.
    bool Empty() const { return entry == kNoEntry && note == kNoNote && changedBy == 0; }
};

// A decision as one 32-bit word (entry, note, changedBy, heldOn from the low
// byte up), as the MIDI path carries it; kNoDecision is an empty one.
inline constexpr uint32_t kNoDecision = 0x0000FFFFu;
constexpr uint32_t WordOf(Decision d) { return std::bit_cast<uint32_t>(d); }
constexpr Decision DecisionOf(uint32_t word) { return std::bit_cast<Decision>(word); }
constexpr bool IsEmptyDecision(uint32_t word) { return (word & 0xFFFFFFu) == kNoDecision; }
constexpr uint32_t DecisionWord(int8_t entry, uint8_t note, uint8_t changedBy, uint8_t heldOn) {
    return static_cast<uint8_t>(entry) | uint32_t{note} << 8 | uint32_t{changedBy} << 16 |
           uint32_t{heldOn} << 24;
}

// The codes in force for the parts a decision names (the others stay empty).
struct DecidingCodes {
    AssignmentCode entry, note, touch, velocity, channel;
};

// Reads the few codes that a decision names; monitor entries keep them, so a line
// shows the code that decided its message even when the box changed since.
inline DecidingCodes CodesOf(const AssignmentTable& table, const Decision& d) {
    DecidingCodes c;
    if (d.entry != kNoEntry) c.entry = table.Get(EntryAt(d.entry));
    if (d.note != kNoNote) c.note = table.GetNote(d.note);
    if (d.changedBy & kByTouchCurve) c.touch = table.Get(Entry::TOUCH);
    if (d.changedBy & kByVelocityCurve) c.velocity = table.Get(Entry::CURVE);
    if (d.changedBy & kByChannel) c.channel = table.Get(Entry::CHANEL);
    return c;
}

}  // namespace ostrel
