#pragma once
// A table and the two curves worked out, once, into what each short message
// becomes: one lookup by status byte (and first data byte where it matters)
// and a few stores, where the engine would branch over the table's codes for
// every message. Built off the MIDI thread whenever the table or a curve
// changes; immutable afterwards, so the MIDI thread reads it without atomics.
//
// The engine (TranslationEngine) stays the statement of the rules: a plan must
// give for every short message exactly what the engine gives with the same
// table and curves. Song position (F2) depends on what came before (a record
// strobe, the last position) and is left to the engine.
#include <array>
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
    TranslationPlan(const AssignmentTable& table, const CurveValues& curves);

    // Whether the plan decides this message; false for song position, which
    // the engine translates with what it remembers.
    static bool Decides(ShortMessage in) { return in.bytes[0] != midi::kSongPosition; }

    // What goes out for a complete short message that the plan decides (the
    // same message and decision as TranslationEngine::TranslateMessage gives;
    // message length 0: suppressed).
    TranslatedShort Translate(ShortMessage in) const;

    const CurveValues& Curves() const { return curves_; }

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
    // The steps of one status: the first, and 0xFF where the first data byte
    // picks one of 256 (0 where one step serves every message).
    struct Row {
        uint16_t first = 0;
        uint8_t byData1 = 0;
    };

    static Step Pack(uint8_t status, uint8_t data1, Source from1, uint8_t data2, Source from2,
                     int matched, Decision decision);
    static Step Work(const AssignmentTable& table, uint8_t status, uint8_t data1);

    CurveValues curves_;
    // The curves over every byte value: past 127 a curve gives 127.
    std::array<uint8_t, 256> velocity_{};
    std::array<uint8_t, 256> touch_{};
    std::array<Row, 256> rows_{};
    std::vector<Step> steps_;
};

}  // namespace ostrel
