#pragma once
// A table worked out, once, into what each message becomes: for a short
// message one lookup by status byte (and first data byte where it matters),
// the curves' value tables and a few stores; for System Exclusive the forms the
// controls send, told apart by their maker byte and compared a word at a time;
// where the engine would branch over the table's codes for every message. Built off the MIDI thread whenever the table
// changes (a curve moved needs no new plan); immutable afterwards, so the MIDI
// thread reads it without atomics.
//
// The engine (TranslationEngine) stays the statement of the rules: a plan must
// give for every short message exactly what the engine gives with the same
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

// What goes out for a System Exclusive message.
struct TranslatedLong {
    enum class Out : uint8_t { Unchanged, Suppressed, Replaced };
    Out out = Out::Unchanged;
    ShortMessage replacement;  // Replaced: the control change that goes out instead
    int matchedSteps = 0;      // steps that recognised the message
    Decision decision;
};

class TranslationPlan {
  public:
    explicit TranslationPlan(const AssignmentTable& table);

    // What goes out for a complete short message (the same message and
    // decision as TranslationEngine::TranslateMessage gives with the same
    // transport memory; message length 0: suppressed). Inline, so that the
    // MIDI path builds the result in registers.
    TranslatedShort Translate(ShortMessage in, const CurveValues& curves,
                              TransportMemory& transport) const {
        if (in.bytes[0] == midi::kSongPosition) [[unlikely]]
            return Apply(SongPosition(in, transport), in, curves);
        const Row row = rows_[in.bytes[0]];
        return Apply(steps_[row.first + (in.bytes[1] & row.byData1)], in, curves);
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
        uint8_t status = 0;
        uint8_t data1 = 0;
        uint8_t data2 = 0;
        uint8_t packed = 0;  // data1 source | data2 source << 2 | length << 4 | matched << 6
        Decision decision;
        bool operator==(const Step& o) const;
    };
    static_assert(sizeof(Step) == 8);
    static_assert(sizeof(Decision) == 4 && offsetof(Decision, changedBy) == 2);
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

    static TranslatedShort Apply(const Step& s, ShortMessage in, const CurveValues& curves) {
        const Shape& shape = kShapes[s.packed];
        const uint32_t data1 = in.bytes[1], data2 = in.bytes[2];
        const uint32_t touched = curves.touch[data1] & shape.curve1;
        const uint32_t weighted = curves.velocity[data2] & shape.curve2;
        const uint32_t fixed = s.status | uint32_t{s.data1} << 8 | uint32_t{s.data2} << 16;
        TranslatedShort r;
        r.message = std::bit_cast<ShortMessage>((std::bit_cast<uint32_t>(in) & shape.keep) | fixed |
                                                shape.length | touched << 8 | weighted << 16);
        r.matchedSteps = shape.matched;
        // The curve bits name only a curve that gave another value, as the engine's do.
        const uint32_t byCurves =
            ((touched != data1) * shape.byCurve1) | ((weighted != data2) * shape.byCurve2);
        r.decision = std::bit_cast<Decision>(std::bit_cast<uint32_t>(s.decision) | byCurves << 16);
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
