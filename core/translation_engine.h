#pragma once
// Turns one incoming MIDI message into the message that the pass-through sends,
// according to the assignment table and the current curves. Runs on the MIDI
// thread for every message: no allocation, no lock.
#include <cstdint>

#include "core/assignment_table.h"
#include "core/decision.h"
#include "core/short_message.h"
#include "curves/current_curve.h"

namespace ostrel {

inline constexpr int kMessageBufferSize = 256;

struct TranslateResult {
    int outLength = 0;     // length of the outgoing message in work; 0 = suppressed
    int matchedSteps = 0;  // steps that recognised the message; 0 = send it unchanged
    Decision decision;     // the entries that recognised or changed it
};

// What goes out for a short message: the received one when no step matched;
// length 0 when it was suppressed.
struct TranslatedShort {
    ShortMessage message;
    int matchedSteps = 0;  // steps that recognised the message
    Decision decision;     // the entries that recognised or changed it
};

// What the transport buttons leave behind between messages: a record strobe
// whose song position the keyboard has yet to send, and the last position that
// went out as a replacement (rewind and fast forward tell each other apart by it).
struct TransportMemory {
    bool recPending = false;
    int lastSongPosition = 0;
};

class TranslationEngine {
  public:
    TranslationEngine(const AssignmentTable& table, const CurrentCurves& curves)
        : table_(&table), curves_(curves) {}

    // The table that later messages are translated with. The live pass-through
    // switches tables only between two cycles, so no message sees half of each.
    void UseTable(const AssignmentTable& table) { table_ = &table; }

    // A short message (never System Exclusive). What goes out is as long as its
    // status implies.
    TranslatedShort TranslateMessage(ShortMessage message);

    // A System Exclusive message. message: 256-byte buffer, used as scratch;
    // length is at most 256. work: 256-byte buffer that receives the outgoing
    // message.
    TranslateResult TranslateMessage(uint8_t* message, int length, uint8_t* work);

    // The table that messages are translated with now.
    const AssignmentTable& Table() const { return *table_; }

    // Transport state, kept between messages for the life of the engine; a
    // plan that decides in its place (TranslationPlan) keeps it here too.
    bool RecPending() const { return transport_.recPending; }
    int LastSongPosition() const { return transport_.lastSongPosition; }
    TransportMemory& Transport() { return transport_; }

  private:
    struct Counts {
        int outLength = 0;  // of the message left in the buffer; 0 = suppressed
        int matchedSteps = 0;
    };
    // Translates the message in place; m holds at least kPatternWindow bytes
    // of which those past the message are 0.
    Counts Translate(uint8_t* m, int length);

    const AssignmentTable* table_;
    Decision decision_;
    const CurrentCurves& curves_;
    TransportMemory transport_;
};

}  // namespace ostrel
