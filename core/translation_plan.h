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
    // What one status (and first data byte, where it matters) becomes: the
    // outgoing status and fixed data bytes, and its shape (packed: the data
    // bytes' sources, kFixed: the value here, kCurve: the touch curve on the
    // first, the velocity curve on the second; the length, 0: suppressed; the
    // steps matched), with the decision, its curve bits left to Translate.
    struct Step {
        // status | data1 << 8 | data2 << 16 | packed << 24, where packed is
        // data1 source | data2 source << 2 | length << 4 | matched << 6.
        uint32_t bytes = 0;
        uint32_t decision = kNoDecision;  // a Decision's word
        uint8_t Status() const { return bytes & 0xFF; }
        uint8_t Data1() const { return bytes >> 8 & 0xFF; }
        uint8_t Data2() const { return bytes >> 16 & 0xFF; }
        uint8_t Packed() const { return static_cast<uint8_t>(bytes >> 24); }
        bool operator==(const Step& o) const = default;
    };
    static_assert(sizeof(Step) == 8 && offsetof(Decision, changedBy) == 2);
    // A packed shape as masks: which received bytes are kept, which take a
    // curve's value, the length's bits, and the curve bits the decision names
    // when the curve gave another value.
    struct Shape {
        uint32_t keep = 0;
        uint32_t length = 0;
        uint8_t curve1 = 0, curve2 = 0;  // 0xFF: the byte is the curve's value
        uint8_t byCurve1 = 0, byCurve2 = 0;
        int matched = 0;
    };
    static const std::array<Shape, 256> kShapes;
    // The steps of one status: the first, and 0xFF where the first data byte
    // picks one of 256 (0 where one step serves every message).
    struct Row {
        uint16_t first = 0;
        uint8_t byData1 = 0;
    };

    static PlannedShort Apply(const Step& s, uint32_t word, const CurveValues& curves) {
        const Shape& shape = kShapes[s.Packed()];
        const uint32_t data1 = word >> 8 & 0xFF, data2 = word >> 16 & 0xFF;
        const uint32_t touched = curves.touch[data1] & shape.curve1;
        const uint32_t weighted = curves.velocity[data2] & shape.curve2;
        PlannedShort r;
        r.message = (word & shape.keep) | (s.bytes & 0xFFFFFFu) | shape.length | touched << 8 |
                    weighted << 16;
        r.matchedSteps = shape.matched;
        // The curve bits name only a curve that gave another value, as the engine's do.
        const uint32_t byCurves =
            ((touched != data1) * shape.byCurve1) | ((weighted != data2) * shape.byCurve2);
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
