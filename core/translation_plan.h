#pragma once
// A table worked out, once, into what each message becomes, where the engine
// would branch over the table's codes for every message: for a short message,
// one lookup by status byte (and first data byte where it matters), the
// curves' value tables and a few stores; for System Exclusive, the forms the
// controls send, told apart by their maker byte and compared a word at a time.
// Built off the MIDI thread whenever the table changes (a curve moved needs no
// new plan); immutable afterwards, so the MIDI thread reads it without atomics.
//
// The engine (TranslationEngine) stays the statement of the rules: a plan must
// give for every message exactly what the engine gives with the same
// table and curves. Song position (F2) and the record strobe depend on what
// came before (TransportMemory), which the caller keeps and the plan updates.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/assignment_table.h"
#include "core/control_steps.h"
#include "core/decision.h"
#include "core/short_message.h"
#include "core/translation_engine.h"
#include "curves/curve_values.h"

namespace ostrel {

// What goes out for a short message, as words (WordOf): the message (length 0:
// suppressed) and the decision; and the steps that recognised it.
struct PlannedShort {
    uint32_t message = 0;
    uint32_t decision = kNoDecision;
    int matchedSteps = 0;
};

// What goes out for a System Exclusive message; the replacement and the
// decision as words (WordOf), every field a whole word.
struct TranslatedLong {
    enum class Out : uint32_t { Unchanged, Suppressed, Replaced };
    Out out = Out::Unchanged;
    uint32_t replacement = 0;  // Replaced: the control change that goes out instead
    uint32_t decision = kNoDecision;
    int matchedSteps = 0;  // steps that recognised the message
};

class TranslationPlan {
  public:
    explicit TranslationPlan(const AssignmentTable& table);

    // What goes out for a complete short message (the same message and
    // decision as TranslationEngine::TranslateMessage gives with the same
    // transport memory; message length 0: suppressed). Inline, so that the
    // MIDI path builds the result in registers.
    // in: the message's word (WordOf), as the MIDI path carries it.
    PlannedShort Plan(uint32_t in, const CurveValues& curves, TransportMemory& transport) const {
        const uint32_t status = in & 0xFF, data1 = in >> 8 & 0xFF;
        if (status == midi::kSongPosition) [[unlikely]]
            return Apply(SongPosition(MessageOf(in), transport), in, curves);
        const Row row = rows_[status];
        return Apply(steps_[row.first + (data1 & row.byData1)], in, curves);
    }
    // The same, as the engine gives it.
    TranslatedShort Translate(ShortMessage in, const CurveValues& curves,
                              TransportMemory& transport) const {
        const PlannedShort p = Plan(WordOf(in), curves, transport);
        return {MessageOf(p.message), p.matchedSteps, DecisionOf(p.decision)};
    }
    // What goes out for a System Exclusive message of length bytes, as the
    // engine decides it from its first bytes.
    TranslatedLong TranslateLong(const uint8_t* bytes, size_t length,
                                 TransportMemory& transport) const;

  private:
    // Where a data byte of the outgoing message comes from.
    enum Source : uint8_t { kKeep, kFixed, kCurve };
    // What one status (and first data byte, where it matters) becomes, laid
    // out as Apply uses it, so that a message costs one load of its row and one
    // of its step: the outgoing status, fixed data bytes and length; which
    // received bytes are kept; which take a curve's value (the touch curve on
    // the first, the velocity curve on the second); the decision, its curve
    // bits left to Apply.
    struct alignas(16) Step {
        uint32_t out = 0;                 // status | data1 << 8 | data2 << 16 | length << 24
        uint32_t decision = kNoDecision;  // a Decision's word
        uint32_t keep = 0;                // 0xFF in each byte of the received message that is kept
        uint8_t curve1 = 0, curve2 = 0;   // 0xFF: the byte is the curve's value
        uint8_t matched = 0;              // the steps that recognised the message
        uint8_t Status() const { return out & 0xFF; }
        uint8_t Data1() const { return out >> 8 & 0xFF; }
        uint8_t Data2() const { return out >> 16 & 0xFF; }
        bool Sends() const { return (out >> 24) != 0; }
        bool KeepsData2() const { return (keep & 0xFF0000u) != 0; }
        bool operator==(const Step& o) const = default;
    };
    static_assert(sizeof(Step) == 16 && offsetof(Decision, changedBy) == 2);
    // The steps of one status: the first, and 0xFF where the first data byte
    // picks one of 256 (0 where one step serves every message).
    struct Row {
        uint16_t first = 0;
        uint8_t byData1 = 0;
    };

    static PlannedShort Apply(const Step& s, uint32_t word, const CurveValues& curves) {
        const uint32_t data1 = word >> 8 & 0xFF, data2 = word >> 16 & 0xFF;
        const uint32_t touched = curves.touch[data1] & s.curve1;
        const uint32_t weighted = curves.velocity[data2] & s.curve2;
        PlannedShort r;
        r.message = (word & s.keep) | s.out | touched << 8 | weighted << 16;
        r.matchedSteps = s.matched;
        // The curve bits name only a curve that gave another value, as the
        // engine's do; a byte the curve does not set has its mask 0.
        const uint32_t byCurves = ((touched != data1) * (s.curve1 & kByTouchCurve)) |
                                  ((weighted != data2) * (s.curve2 & kByVelocityCurve));
        r.decision = s.decision | byCurves << 16;
        return r;
    }
    // Song position, by what the transport memory holds; updates it as the
    // engine does.
    const Step& SongPosition(ShortMessage in, TransportMemory& transport) const;

    static Step Pack(uint8_t status, uint8_t data1, Source from1, uint8_t data2, Source from2,
                     int matched, Decision decision);
    // m: a message's first kPatternWindow bytes, 0 past its end; as: the entry
    // that decides a song position's move (rewind or fast forward).
    static Step Work(const AssignmentTable& table, const uint8_t* m, Entry as = Entry::REW);

    std::array<Row, 256> rows_{};
    std::vector<Step> steps_;
    // Song position: to 0, back, forward, and taken by a record strobe.
    Step songZero_, songBack_, songForward_, songAfterRecord_;
    // The System Exclusive forms of the controls, in detail::kLongForms' order.
    std::array<Step, detail::kLongForms.size()> longSteps_{};
};

}  // namespace ostrel
