#include "core/translation_plan.h"

#include <algorithm>
#include <bit>
#include <cstring>

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

// A message's first kPatternWindow bytes as two words, 0 past its end, and a
// form's bytes with the mask of its length: one form compared in two steps.
struct LongHead {
    uint64_t low = 0;
    uint32_t high = 0;
    static_assert(kPatternWindow == 12);

    // Read in a few loads, whatever the length: the last word of a shorter
    // message is read from its end and shifted down, so no byte past the
    // message is touched.
    static LongHead Of(const uint8_t* bytes, size_t length) {
        LongHead h;
        if (length >= kPatternWindow) {
            h.low = Load<uint64_t>(bytes);
            h.high = Load<uint32_t>(bytes + 8);
        } else if (length > 8) {
            h.low = Load<uint64_t>(bytes);
            h.high = Load<uint32_t>(bytes + length - 4) >> (kPatternWindow - length) * 8;
        } else if (length >= 4) {
            const uint64_t end = Load<uint32_t>(bytes + length - 4);
            h.low = Load<uint32_t>(bytes) | (end >> (8 - length) * 8) << 32;
        } else {
            for (size_t i = 0; i < length; ++i) h.low |= uint64_t{bytes[i]} << 8 * i;
        }
        return h;
    }

  private:
    template <typename Word>
    static Word Load(const uint8_t* at) {
        Word w;
        std::memcpy(&w, at, sizeof w);
        return w;
    }
};
struct LongFormHead {
    LongHead bytes, mask;
    bool Matches(const LongHead& h) const {
        return ((h.low & mask.low) == bytes.low) & ((h.high & mask.high) == bytes.high);
    }
};

const auto kLongHeads = [] {
    std::array<LongFormHead, detail::kLongForms.size()> heads{};
    for (size_t i = 0; i < heads.size(); ++i) {
        const BytePattern& p = detail::kLongForms[i].pattern;
        uint8_t ones[kPatternWindow] = {};
        std::memset(ones, 0xFF, p.length);
        heads[i] = {LongHead::Of(p.bytes, p.length), LongHead::Of(ones, p.length)};
    }
    return heads;
}();

// For each manufacturer byte, the forms that start with it (bit i: form i).
static_assert(detail::kLongForms.size() <= 8);
const auto kLongFormsBy = [] {
    std::array<uint8_t, 256> by{};
    for (size_t i = 0; i < detail::kLongForms.size(); ++i)
        by[detail::kLongForms[i].pattern.bytes[1]] |= static_cast<uint8_t>(1u << i);
    return by;
}();

}  // namespace

// A step that sends `status` with its data bytes from the sources given; the
// bytes past the status's length are 0, as in every short message.
TranslationPlan::Step TranslationPlan::Pack(uint8_t status, uint8_t data1, Source from1,
                                            uint8_t data2, Source from2, int matched,
                                            Decision decision) {
    const int length = ShortMessageLength(status);
    if (length < 2) from1 = kFixed;
    if (length < 3) from2 = kFixed;
    // Apply ors the fixed value in whatever the source: 0 where the byte is
    // not fixed, or past the message.
    if (from1 != kFixed || length < 2) data1 = 0;
    if (from2 != kFixed || length < 3) data2 = 0;
    Step s;
    s.out = status | uint32_t{data1} << 8 | uint32_t{data2} << 16 | uint32_t(length) << 24;
    s.decision = WordOf(decision);
    s.keep = (from1 == kKeep ? 0xFF00u : 0u) | (from2 == kKeep ? 0xFF0000u : 0u);
    s.curve1 = from1 == kCurve ? 0xFF : 0;
    s.curve2 = from2 == kCurve ? 0xFF : 0;
    s.matched = static_cast<uint8_t>(matched);
    return s;
}

// The engine's two stages, on what they read of a message with this status and
// first data byte: the control that sent it and its code, then the note map,
// the curves and the output channel. The second data byte decides nothing here
// (only song position depends on it); it is kept, fixed or mapped by a curve.
TranslationPlan::Step TranslationPlan::Work(const AssignmentTable& table, const uint8_t* m,
                                            Entry as) {
    const uint8_t status = m[0], data1 = m[1];
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

    const uint8_t index = FindControlStep(m);
    if (index != kNoStep) {
        const ControlStep& step = kControlSteps[index];
        const Entry entry = step.sends == Sends::SongPositionMoved ? as : step.entry;
        const CodeDecision code = table.Decided(entry);
        if (KnowsCode(step, code)) {
            ++matched;
            d.entry = static_cast<int8_t>(entry);
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
            // What never starts a short message: the status with its own data
            // bytes (nothing for F0 or a data byte). Song position has steps
            // of its own.
            steps_.push_back(Pack(static_cast<uint8_t>(status), 0, kKeep, 0, kKeep, 0, {}));
            continue;
        }
        for (int data1 = 0; data1 < 256; ++data1) {
            const uint8_t m[kPatternWindow] = {static_cast<uint8_t>(status),
                                               static_cast<uint8_t>(data1)};
            byData1[data1] = Work(table, m);
        }
        // One step where the first data byte changes nothing, else one per value.
        if (std::all_of(byData1.begin(), byData1.end(),
                        [&](const Step& s) { return s == byData1[0]; })) {
            steps_.push_back(byData1[0]);
        } else {
            rows_[status].byData1 = 0xFF;
            steps_.insert(steps_.end(), byData1.begin(), byData1.end());
        }
    }
    const uint8_t zero[kPatternWindow] = {midi::kSongPosition};
    const uint8_t moved[kPatternWindow] = {midi::kSongPosition, 1};
    songZero_ = Work(table, zero);
    songBack_ = Work(table, moved, Entry::REW);
    songForward_ = Work(table, moved, Entry::FF);
    // The keyboard's own position after a record strobe: the REC button's doing.
    songAfterRecord_ = Pack(0, 0, kFixed, 0, kFixed, 1, Decision{static_cast<int8_t>(Entry::REC)});
    for (size_t i = 0; i < detail::kLongForms.size(); ++i)
        longSteps_[i] = Work(table, detail::kLongForms[i].pattern.bytes);
}

const TranslationPlan::Step& TranslationPlan::SongPosition(ShortMessage in,
                                                           TransportMemory& transport) const {
    if (transport.recPending) {
        transport.recPending = false;
        return songAfterRecord_;
    }
    const int position = in.bytes[2] * 256 + in.bytes[1];
    if (position == 0) {
        transport.lastSongPosition = 0;
        return songZero_;
    }
    const Step& step = position < transport.lastSongPosition ? songBack_ : songForward_;
    // A move that goes out as a control change is the one the next is measured from.
    if (step.Sends() && step.Status() != midi::kSongPosition) transport.lastSongPosition = position;
    return step;
}

TranslatedLong TranslationPlan::TranslateLong(const uint8_t* bytes, size_t length,
                                              TransportMemory& transport) const {
    TranslatedLong r;
    // The forms that the manufacturer byte leaves possible; most messages
    // (a dump, another maker's) leave none.
    uint32_t candidates = length > 1 ? kLongFormsBy[bytes[1]] : 0;
    if (candidates == 0) return r;
    const LongHead head = LongHead::Of(bytes, length);
    for (; candidates != 0; candidates &= candidates - 1) {
        const int i = std::countr_zero(candidates);
        if (length < detail::kLongForms[i].pattern.length || !kLongHeads[i].Matches(head)) continue;
        const ControlStep& control = kControlSteps[detail::kLongForms[i].step];
        if (control.sends == Sends::RecordStrobe) transport.recPending = true;
        const Step& s = longSteps_[i];
        r.matchedSteps = s.matched;
        if (r.matchedSteps == 0) return r;  // a code the control does not know
        r.decision = s.decision;
        if (s.Status() == midi::kSystemExclusive) return r;  // passed
        if (s.Status() == 0) {
            r.out = TranslatedLong::Out::Suppressed;
            return r;
        }
        // Replaced by a control change: the master volume's carries its value.
        const uint8_t value = length > 6 ? bytes[6] : 0;
        r.out = TranslatedLong::Out::Replaced;
        r.replacement =
            WordOf(MakeShort(s.Status(), s.Data1(), s.KeepsData2() ? value : s.Data2()));
        return r;
    }
    return r;
}

}  // namespace ostrel
