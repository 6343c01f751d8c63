#pragma once
// The one decision of what goes out for a received message: the translation
// engine with the assignment table and the curves, then the ledger of sounding
// notes. The live pass-through of every MIDI system and `ostrel-cli translate`
// both use it, so translate prints exactly what the live path sends.
//
// MIDI thread only: no allocation, no lock.
#include <cstddef>
#include <cstdint>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "curves/current_curve.h"
#include "midi/note_ledger.h"

namespace ostrel {

struct Forwarded {
    const uint8_t* bytes = nullptr;  // what goes out: length bytes; valid until the next call
    size_t length = 0;               // 0: nothing goes out
    TranslateResult result;          // the engine's answer (changedCount 0: unchanged)
    bool shortMessage = true;        // the received message was not System Exclusive
    uint32_t packedIn = 0;           // short: the received bytes, lowest byte first
    uint32_t packedOut = 0;          // short: the sent bytes, 0 when nothing went out
};

class Forwarder {
  public:
    Forwarder(const AssignmentTable& table, const CurrentCurves& curves)
        : engine_(table, curves), curves_(curves) {}

    // One received message of length bytes (status first). A System Exclusive
    // message of any length is recognised by its first 256 bytes and, when
    // nothing changed it, goes out whole.
    Forwarded Forward(const uint8_t* bytes, size_t length);

    // The table for the following messages (switched between two cycles).
    void UseTable(const AssignmentTable& table) { engine_.UseTable(table); }
    const AssignmentTable& Table() const { return engine_.Table(); }
    NoteLedger& Ledger() { return ledger_; }

  private:
    Forwarded ForwardShort(const uint8_t* bytes, size_t length);
    Forwarded ForwardLong(const uint8_t* bytes, size_t length);

    TranslationEngine engine_;
    const CurrentCurves& curves_;
    NoteLedger ledger_;
    uint8_t message_[kMessageBufferSize] = {};
    uint8_t work_[kMessageBufferSize] = {};
    uint8_t short_[4] = {};
};

}  // namespace ostrel
