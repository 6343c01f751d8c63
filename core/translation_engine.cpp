#include "core/translation_engine.h"

#include <cstring>

#include "core/code_rule.h"
#include "core/control_steps.h"
#include "core/midi_bytes.h"

namespace ostrel {
namespace {

// Adjusted: the message with one byte changed in place (curves, channel).
enum class Result : uint8_t { NotRecognised, Suppressed, Passed, Replaced, Adjusted };

// What a step made of the message; for Replaced, the three bytes of the control
// change (the fourth is 0).
struct Outcome {
    Result result = Result::NotRecognised;
    uint8_t status = midi::kControlChange;
    uint8_t number = 0;
    uint8_t value = midi::kMaxData;
};

// The code rule: "###" suppresses, "***" passes, a controller number replaces the
// message by B0 n 7F unless the control says otherwise. A code that no list offers
// passes the message on unchanged.
Outcome ByCode(CodeDecision d, uint8_t status = midi::kControlChange,
               uint8_t value = midi::kMaxData) {
    switch (d.action) {
        case CodeAction::Suppress:
            return {Result::Suppressed};
        case CodeAction::Replace:
            return {Result::Replaced, status, d.number, value};
        case CodeAction::Pass:
        case CodeAction::Unknown:
            break;
    }
    return {Result::Passed};
}

// The status of the control change that replaces the message.
uint8_t ReplyStatus(const ControlStep& step, const uint8_t* m) {
    return ReplyKeepsChannel(step.sends)
               ? midi::OnChannel(midi::kControlChange, midi::ChannelOf(m[0]))
               : midi::kControlChange;
}

// The value of the replacing control change.
uint8_t ReplyValue(const ControlStep& step, const uint8_t* m) {
    if (!ReplyKeepsValue(step.sends)) return midi::kMaxData;
    return step.sends == Sends::MasterVolume && m[0] == midi::kSystemExclusive ? m[6] : m[2];
}

// Runs the stage 1 step that recognised the message's bytes: the transport rules
// for song position and record, the code rule for everything else. decidedBy:
// the entry whose code (or pending record strobe) decided.
Outcome RunControlStep(int index, const uint8_t* m, const AssignmentTable& table,
                       TransportMemory& transport, Entry& decidedBy) {
    bool& recPending = transport.recPending;
    int& lastSongPosition = transport.lastSongPosition;
    const ControlStep& step = kControlSteps[index];
    decidedBy = step.entry;
    switch (step.sends) {
        case Sends::SongPositionZero:
            // The keyboard follows a record strobe with a song position of its own:
            // the REC button's doing.
            if (recPending) {
                recPending = false;
                decidedBy = Entry::REC;
                return {Result::Suppressed};
            }
            lastSongPosition = 0;
            return ByCode(table.Decided(Entry::RTZ));
        case Sends::SongPositionMoved: {
            if (recPending) {
                recPending = false;
                decidedBy = Entry::REC;
                return {Result::Suppressed};
            }
            const int position = m[2] * 256 + m[1];
            decidedBy = position < lastSongPosition ? Entry::REW : Entry::FF;
            const Outcome o = ByCode(table.Decided(decidedBy));
            if (o.result == Result::Replaced) lastSongPosition = position;
            return o;
        }
        case Sends::RecordStrobe:
            recPending = true;
            return ByCode(table.Decided(Entry::REC));
        default:
            break;
    }
    const CodeDecision code = table.Decided(step.entry);
    if (!KnowsCode(step, code)) return {};
    return ByCode(code, ReplyStatus(step, m), ReplyValue(step, m));
}

}  // namespace

TranslatedShort TranslationEngine::TranslateMessage(ShortMessage in) {
    // Room for every byte that a step compares: the window of the longest pattern.
    uint8_t m[kPatternWindow] = {in.bytes[0], in.bytes[1], in.bytes[2]};
    const Counts counts = Translate(m, in.length);
    if (counts.matchedSteps == 0) return {MakeShort(in.bytes[0], in.bytes[1], in.bytes[2]), 0, {}};
    const ShortMessage out = counts.outLength == 0 ? ShortMessage{} : MakeShort(m[0], m[1], m[2]);
    return {out, counts.matchedSteps, decision_};
}

TranslateResult TranslationEngine::TranslateMessage(uint8_t* message, int length, uint8_t* work) {
    if (length < 0) length = 0;
    if (length > kMessageBufferSize) length = kMessageBufferSize;
    // Patterns are compared over their whole length: the bytes just past a shorter
    // message take part as zeros, whatever the caller left there.
    for (int i = length; i < kPatternWindow; ++i) message[i] = 0;
    const Counts counts = Translate(message, length);
    if (counts.matchedSteps != 0) std::memcpy(work, message, counts.outLength);
    return {counts.outLength, counts.matchedSteps, decision_};
}

TranslationEngine::Counts TranslationEngine::Translate(uint8_t* message, int length) {
    // The current message lives in the message buffer: each recognising step's
    // output is written over its start. Once suppressed it stays suppressed, and
    // the buffer keeps the bytes that later steps still recognise.
    int current = length;
    bool suppressed = false;
    int matched = 0;
    const auto apply = [&](const Outcome& o) {
        ++matched;
        if (o.result == Result::Suppressed) suppressed = true;
        if (o.result != Result::Replaced || suppressed) return;
        message[0] = o.status;
        message[1] = o.number;
        message[2] = o.value;
        message[3] = 0;
        current = 4;
    };
    // What decided: the stage 1 entry, the note map cell read, and the stage 2
    // steps that gave a byte a new value.
    decision_ = {};
    const auto adjust = [&](uint8_t& byte, int value, uint8_t by) {
        if (byte == value) return;
        byte = static_cast<uint8_t>(value);
        decision_.changedBy |= by;
    };

    // Stage 1: the control that sent the message, if any.
    const uint8_t stepIndex = FindControlStep(message);
    if (stepIndex != kNoStep) {
        Entry decidedBy = Entry::KNOB01;
        const Outcome o = RunControlStep(stepIndex, message, *table_, transport_, decidedBy);
        if (o.result != Result::NotRecognised) {
            apply(o);
            decision_.entry = static_cast<int8_t>(decidedBy);
        }
    }

    // Stage 2: note map, touch curve, velocity curve, channel, each on the
    // message as the steps before left it.
    if (midi::IsChannelOneNote(message[0])) {
        decision_.note = message[1];
        const CodeDecision d = table_->DecidedNote(message[1]);
        if (d.action == CodeAction::Suppress ||
            (d.action == CodeAction::Replace && message[0] == midi::kNoteOff)) {
            apply({Result::Suppressed});
            decision_.changedBy |= kByNoteMap;
        } else if (d.action == CodeAction::Replace) {
            apply({Result::Replaced, midi::kControlChange, d.number, midi::kMaxData});
            decision_.changedBy |= kByNoteMap;
        } else {
            apply({Result::Passed});
        }
    }
    if (midi::IsChannelPressure(message[0])) {
        if (!suppressed)
            adjust(message[1], curves_.MapValue(CurveKind::Touch, message[1]), kByTouchCurve);
        apply({Result::Adjusted});
    }
    if (midi::IsChannelOneNote(message[0])) {
        if (!suppressed)
            adjust(message[2], curves_.MapValue(CurveKind::Velocity, message[2]), kByVelocityCurve);
        apply({Result::Adjusted});
    }
    if (!midi::IsSystem(message[0])) {
        const int channel = ChannelOf(table_->Decided(Entry::CHANEL));
        if (channel >= 0 && !suppressed)
            adjust(message[0], midi::OnChannel(message[0], channel), kByChannel);
        apply({Result::Adjusted});
    }

    if (matched == 0) return {};
    return {suppressed ? 0 : current, matched};
}

}  // namespace ostrel
