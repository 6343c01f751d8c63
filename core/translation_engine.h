#pragma once
// Turns one incoming MIDI message into the message that the pass-through sends,
// according to the assignment table and the current curves. Runs on the MIDI
// thread for every message: no allocation, no lock.
#include <cstdint>

#include "core/assignment_table.h"
#include "core/decision.h"
#include "curves/current_curve.h"

namespace ostrel {

inline constexpr int kMessageBufferSize = 256;

struct TranslateResult {
    int outLength = 0;     // length of the outgoing message in work; 0 = suppressed
    int changedCount = 0;  // steps that recognised the message; 0 = send it unchanged
    Decision decision;     // the entries that recognised or changed it
};

class TranslationEngine {
  public:
    TranslationEngine(const AssignmentTable& table, const CurrentCurves& curves)
        : table_(&table), curves_(curves) {}

    // The table that later messages are translated with. The live pass-through
    // switches tables only between two cycles, so no message sees half of each.
    void UseTable(const AssignmentTable& table) { table_ = &table; }

    // message: 256-byte buffer, zero beyond the message, used as scratch. A short
    // message is given with length 4 (status, data 1, data 2, 0). length is at
    // most 256. work: 256-byte buffer that receives the outgoing message.
    TranslateResult TranslateMessage(uint8_t* message, int length, uint8_t* work) {
        const Counts counts = Translate(message, length, work);
        return {counts.outLength,
                counts.changedCount,
                {decision_.entry, decision_.note, decision_.changedBy}};
    }

    // The table that messages are translated with now.
    const AssignmentTable& Table() const { return *table_; }

    // Transport state, kept between messages for the life of the engine.
    bool RecPending() const { return recPending_; }
    int LastSongPosition() const { return lastSongPosition_; }

  private:
    // The two numbers come back in one register and the decision stays in
    // decision_: a twelve-byte result put together on the stack costs the MIDI
    // thread a stalled load for every message.
    struct Counts {
        int outLength = 0;
        int changedCount = 0;
    };
    Counts Translate(uint8_t* message, int length, uint8_t* work);

    const AssignmentTable* table_;
    Decision decision_;
    const CurrentCurves& curves_;
    bool recPending_ = false;
    int lastSongPosition_ = 0;
};

}  // namespace ostrel
