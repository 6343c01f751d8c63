#pragma once
// A table worked out, once, into what each short message becomes: one lookup
// by status byte (and first data byte where it matters), the curves' value
// tables, and a few stores, where the engine would branch over the table's
// codes for every message. Built off the MIDI thread whenever the table
// changes (a curve moved needs no new plan); immutable afterwards, so the MIDI
// thread reads it without atomics.
//
// The engine (TranslationEngine) stays the statement of the rules: a plan must
// give for every short message exactly what the engine gives with the same
// table and curves. Song position (F2) depends on what came before (a record
// strobe, the last position) and is left to the engine.
#include <array>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/assignment_table.h"
#include "core/decision.h"
#include "core/short_message.h"
#include "core/translation_engine.h"
#include "curves/curve_values.h"

namespace ostrel {

class TranslationPlan {
  public:
    explicit TranslationPlan(const AssignmentTable& table);

    // Whether the plan decides this message; false for song position, which
    // the engine translates with what it remembers.
    static bool Decides(ShortMessage in) { return in.bytes[0] != midi::kSongPosition; }

    // What goes out for a complete short message that the plan decides (the
    // same message and decision as TranslationEngine::TranslateMessage gives;
    // message length 0: suppressed). Inline, so that the MIDI path builds the
    // result in registers.
    TranslatedShort Translate(ShortMessage in, const CurveValues& curves) const {
        const uint32_t data1 = in.bytes[1], data2 = in.bytes[2];
        const Row row = rows_[in.bytes[0]];
        const Step& s = steps_[row.first + (data1 & row.byData1)];
        const uint32_t touched = curves.touch[data1], weighted = curves.velocity[data2];
        const uint32_t from1 = s.packed & 3u, from2 = s.packed >> 2 & 3u;
        // Each byte from its source by masks, not branches: keep, fixed or curve.
        const uint32_t keep1 = 0u - (from1 == kKeep), curve1 = 0u - (from1 == kCurve);
        const uint32_t keep2 = 0u - (from2 == kKeep), curve2 = 0u - (from2 == kCurve);
        const uint32_t out1 = (data1 & keep1) | (touched & curve1) | s.data1;
        const uint32_t out2 = (data2 & keep2) | (weighted & curve2) | s.data2;
        const uint32_t length = s.packed >> 4 & 3u;
        // The curve bits name only a curve that gave another value, as the engine's do.
        const uint32_t byCurves = ((touched != data1) & (from1 == kCurve)) * kByTouchCurve |
                                  ((weighted != data2) & (from2 == kCurve)) * kByVelocityCurve;
        TranslatedShort r;
        r.message = std::bit_cast<ShortMessage>(s.status | out1 << 8 | out2 << 16 | length << 24);
        r.matchedSteps = s.packed >> 6;
        r.decision = std::bit_cast<Decision>(std::bit_cast<uint32_t>(s.decision) | byCurves << 16);
        return r;
    }

  private:
    // Where a data byte of the outgoing message comes from.
    enum Source : uint8_t { kKeep, kFixed, kCurve };
    // What one status (and first data byte, where it matters) becomes: the
    // outgoing status, the data bytes' sources (kFixed: the value here; kCurve:
    // the touch curve on the first, the velocity curve on the second), the
    // length (0: suppressed) and the decision, its curve bits left to Translate.
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
    // The steps of one status: the first, and 0xFF where the first data byte
    // picks one of 256 (0 where one step serves every message).
    struct Row {
        uint16_t first = 0;
        uint8_t byData1 = 0;
    };

    static Step Pack(uint8_t status, uint8_t data1, Source from1, uint8_t data2, Source from2,
                     int matched, Decision decision);
    static Step Work(const AssignmentTable& table, uint8_t status, uint8_t data1);

    std::array<Row, 256> rows_{};
    std::vector<Step> steps_;
};

}  // namespace ostrel
