#include "core/translation_plan.h"

#include <algorithm>
#include <bit>

#include "core/code_rule.h"
#include "core/control_steps.h"
#include "core/midi_bytes.h"

namespace ostrel {
namespace {

// The statuses that the plan decides: every short message's but song position.
bool Decided(int status) {
    return midi::IsStatus(static_cast<uint8_t>(status)) && status != midi::kSystemExclusive &&
           status != midi::kEndOfExclusive && status != midi::kSongPosition;
}

}  // namespace

bool TranslationPlan::Step::operator==(const Step& o) const {
    return std::bit_cast<uint64_t>(*this) == std::bit_cast<uint64_t>(o);
}

// A step that sends `status` with its data bytes from the sources given; the
// bytes past the status's length are 0, as in every short message.
TranslationPlan::Step TranslationPlan::Pack(uint8_t status, uint8_t data1, Source from1,
                                            uint8_t data2, Source from2, int matched,
                                            Decision decision) {
    const int length = ShortMessageLength(status);
    if (length < 2) from1 = kFixed;
    if (length < 3) from2 = kFixed;
    // Translate ors the fixed value in whatever the source: 0 where the byte
    // is not fixed, or past the message.
    if (from1 != kFixed || length < 2) data1 = 0;
    if (from2 != kFixed || length < 3) data2 = 0;
    // matched: 3 at most (a note's map cell, velocity curve and channel).
    const int packed = from1 | from2 << 2 | length << 4 | matched << 6;
    return {status, data1, data2, static_cast<uint8_t>(packed), decision};
}

// The engine's two stages, on what they read of a message with this status and
// first data byte: the control that sent it and its code, then the note map,
// the curves and the output channel. The second data byte decides nothing here
// (only song position depends on it); it is kept, fixed or mapped by a curve.
TranslationPlan::Step TranslationPlan::Work(const AssignmentTable& table, uint8_t status,
                                            uint8_t data1) {
    uint8_t out = status, out1 = 0, out2 = 0;
    Source from1 = kKeep, from2 = kKeep;
    bool suppressed = false;
    int matched = 0;
    Decision d;
    const auto replace = [&](uint8_t replyStatus, uint8_t number, Source valueFrom) {
        if (suppressed) return;
        out = replyStatus;
        out1 = number;
        from1 = kFixed;
        out2 = midi::kMaxData;
        from2 = valueFrom;
    };

    const uint8_t m[kPatternWindow] = {status, data1};
    const uint8_t index = FindControlStep(m);
    if (index != kNoStep) {
        const ControlStep& step = kControlSteps[index];
        const CodeDecision code = table.Decided(step.entry);
        if (KnowsCode(step, code)) {
            ++matched;
            d.entry = static_cast<int8_t>(step.entry);
            if (code.action == CodeAction::Suppress) suppressed = true;
            if (code.action == CodeAction::Replace)
                replace(ReplyKeepsChannel(step.sends)
                            ? midi::OnChannel(midi::kControlChange, midi::ChannelOf(status))
                            : midi::kControlChange,
                        code.number, ReplyKeepsValue(step.sends) ? kKeep : kFixed);
        }
    }

    if (midi::IsChannelOneNote(out)) {
        ++matched;
        d.note = data1;
        const CodeDecision cell = table.DecidedNote(data1);
        if (cell.action == CodeAction::Suppress ||
            (cell.action == CodeAction::Replace && out == midi::kNoteOff)) {
            suppressed = true;
            d.changedBy |= kByNoteMap;
        } else if (cell.action == CodeAction::Replace) {
            replace(midi::kControlChange, cell.number, kFixed);
            d.changedBy |= kByNoteMap;
        }
    }
    if (midi::IsChannelPressure(out)) {
        ++matched;
        if (!suppressed) from1 = kCurve;
    }
    if (midi::IsChannelOneNote(out)) {
        ++matched;
        if (!suppressed) from2 = kCurve;
    }
    if (!midi::IsSystem(out)) {
        ++matched;
        const int channel = ChannelOf(table.Decided(Entry::CHANEL));
        if (channel >= 0 && !suppressed && midi::OnChannel(out, channel) != out) {
            out = midi::OnChannel(out, channel);
            d.changedBy |= kByChannel;
        }
    }
    if (suppressed) return Pack(0, 0, kFixed, 0, kFixed, matched, d);
    return Pack(out, out1, from1, out2, from2, matched, d);
}

TranslationPlan::TranslationPlan(const AssignmentTable& table) {
    std::array<Step, 256> byData1;
    for (int status = 0; status < 256; ++status) {
        rows_[status].first = static_cast<uint16_t>(steps_.size());
        if (!Decided(status)) {
            // Song position, and what never starts a short message: the status
            // with its own data bytes (nothing for F0 or a data byte).
            steps_.push_back(Pack(static_cast<uint8_t>(status), 0, kKeep, 0, kKeep, 0, {}));
            continue;
        }
        for (int data1 = 0; data1 < 256; ++data1)
            byData1[data1] = Work(table, static_cast<uint8_t>(status), static_cast<uint8_t>(data1));
        // One step where the first data byte changes nothing, else one per value.
        if (std::all_of(byData1.begin(), byData1.end(),
                        [&](const Step& s) { return s == byData1[0]; })) {
            steps_.push_back(byData1[0]);
        } else {
            rows_[status].byData1 = 0xFF;
            steps_.insert(steps_.end(), byData1.begin(), byData1.end());
        }
    }
}

}  // namespace ostrel
