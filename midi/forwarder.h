#pragma once
// The one decision of what goes out for a received message: the table's
// translation plan with the curves' values (or, without a plan, the engine the
// plan is checked against), then the ledger of sounding notes. The live
// pass-through of every MIDI system and `ostrel-cli translate` both use it, so
// translate prints what the live path sends.
//
// MIDI thread only: no allocation, no lock.
#include <cstddef>
#include <cstdint>

#include "core/assignment_table.h"
#include "core/short_message.h"
#include "core/translation_engine.h"
#include "core/translation_plan.h"
#include "curves/current_curve.h"
#include "midi/note_ledger.h"

namespace ostrel {

// What goes out for a short message, and which entries (or the ledger) decided.
struct ForwardedShort {
    ShortMessage sent;  // length 0: nothing goes out
    Decision decision;
    // Written before sent: the end of the same key's earlier note where it
    // still sounds (length 0: none).
    ShortMessage endFirst;
};

// What goes out for a System Exclusive message.
struct ForwardedLong {
    const uint8_t* bytes = nullptr;  // length bytes; valid until the next call
    size_t length = 0;               // 0: nothing goes out
    int matchedSteps = 0;            // 0: it goes out unchanged
    Decision decision;
};

class Forwarder {
  public:
    Forwarder(const AssignmentTable& table, const CurrentCurves& curves)
        : engine_(table, curves), curves_(curves) {}

    // Inline: the MIDI path's busiest call, its result built in registers.
    // The ledger is asked only about notes and pedals.
    ForwardedShort ForwardShort(ShortMessage received) {
        if (NoteLedger::Concerns(received)) return ForwardHeld(received);
        const TranslatedShort t = Translate(received);
        return {t.message, t.decision, {}};
    }
    // A System Exclusive message of any length is recognised by its first 256
    // bytes and, when nothing changed it, goes out whole.
    ForwardedLong ForwardLong(const uint8_t* bytes, size_t length);
    // Either kind, for a caller that holds the message as bytes: what goes out
    // (valid until the next call), its length in *length. For a short message,
    // at most two: the end of the key's earlier note elsewhere, then the message.
    const uint8_t* Forward(const uint8_t* bytes, size_t length, size_t* outLength);

    // The table for the following messages (switched between two cycles), and
    // its plan with the curves' values, which then decide every message (null:
    // the engine decides, with the curves). Either keeps the transport memory.
    void Use(const AssignmentTable& table, const TranslationPlan* plan, const CurveValues* curves) {
        engine_.UseTable(table);
        plan_ = plan;
        curveValues_ = curves;
    }
    const AssignmentTable& Table() const { return engine_.Table(); }
    NoteLedger& Ledger() { return ledger_; }

  private:
    TranslatedShort Translate(ShortMessage received) {
        return plan_ != nullptr ? plan_->Translate(received, *curveValues_, engine_.Transport())
                                : engine_.TranslateMessage(received);
    }
    // A note or a pedal: the ledger first, then the table, then the ledger
    // keeps where it began.
    ForwardedShort ForwardHeld(ShortMessage received);
    // A gesture the ledger holds goes on, or ends, where it began: sent.
    ForwardedShort GoesOn(const ShortMessage& received, ShortMessage sent,
                          NoteLedger::Held held) const;
    // What the table decided for a note or a pedal, kept by the ledger.
    void Record(const ShortMessage& received, ForwardedShort& f);

    TranslationEngine engine_;
    const CurrentCurves& curves_;
    const TranslationPlan* plan_ = nullptr;
    const CurveValues* curveValues_ = nullptr;
    NoteLedger ledger_;
    uint8_t shortOut_[6] = {};  // Forward(): what went out for the last short message
    uint8_t message_[kMessageBufferSize] = {};
    uint8_t work_[kMessageBufferSize] = {};
};

}  // namespace ostrel
