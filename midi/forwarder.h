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
#include <cstring>

#include "core/assignment_table.h"
#include "core/short_message.h"
#include "core/translation_engine.h"
#include "core/translation_plan.h"
#include "curves/current_curve.h"
#include "midi/note_ledger.h"

namespace ostrel {

// What goes out for a short message, and which entries (or the ledger)
// decided; each a word (WordOf), as the MIDI path carries them.
struct ForwardedShort {
    uint32_t sent = 0;  // length 0: nothing goes out
    uint32_t decision = kNoDecision;
    // Written before sent: the end of the same key's earlier note where it
    // still sounds (length 0: none).
    uint32_t endFirst = 0;
};

// What goes out for a System Exclusive message.
struct ForwardedLong {
    const uint8_t* bytes = nullptr;   // length bytes; valid until the next call
    size_t length = 0;                // 0: nothing goes out
    int matchedSteps = 0;             // 0: it goes out unchanged
    uint32_t decision = kNoDecision;  // a Decision's word
};

class Forwarder {
  public:
    Forwarder(const AssignmentTable& table, const CurrentCurves& curves)
        : engine_(table, curves), curves_(curves) {}

    // Inline: the MIDI path's busiest call, its result built and returned in
    // registers (three words). The ledger is asked only about notes and pedals.
    // received: its word (WordOf), as the MIDI path carries it.
    ForwardedShort ForwardShort(uint32_t received) {
        if (NoteLedger::Concerns(received)) return ForwardHeld(received);
        const PlannedShort t = Translate(received);
        return {t.message, t.decision, 0};
    }
    // A System Exclusive message of any length is recognised by its first 256
    // bytes and, when nothing changed it, goes out whole.
    // Inline where the plan decides, as for a short message.
    ForwardedLong ForwardLong(const uint8_t* bytes, size_t length) {
        if (plan_ == nullptr) return ForwardLongByEngine(bytes, length);
        const TranslatedLong t = plan_->TranslateLong(bytes, length, engine_.Transport());
        ForwardedLong f{bytes, length, t.matchedSteps, t.decision};
        if (t.out == TranslatedLong::Out::Suppressed) f.length = 0;
        if (t.out == TranslatedLong::Out::Replaced) {
            std::memcpy(work_, &t.replacement, sizeof t.replacement);
            f.bytes = work_;
            f.length = LengthOf(t.replacement);
        }
        return f;
    }
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
    PlannedShort Translate(uint32_t received) {
        if (plan_ != nullptr) return plan_->Plan(received, *curveValues_, engine_.Transport());
        const TranslatedShort t = engine_.TranslateMessage(MessageOf(received));
        return {WordOf(t.message), WordOf(t.decision), t.matchedSteps};
    }
    ForwardedLong ForwardLongByEngine(const uint8_t* bytes, size_t length);
    // A note or a pedal: the ledger first, then the table, then the ledger
    // keeps where it began.
    ForwardedShort ForwardHeld(uint32_t received);
    // A gesture the ledger holds goes on, or ends, where it began: sent.
    ForwardedShort GoesOn(uint32_t received, uint32_t sent, NoteLedger::Held held) const;

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
