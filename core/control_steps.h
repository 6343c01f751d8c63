#pragma once
// The messages that the keyboard's controls send, in the order in which the
// engine tries them, and a quick way to find the control that sent a message.
//
// No message is sent by two controls (the patterns differ in their first bytes,
// and every controller number appears once per channel), so finding "the first
// control in order that recognises the message" is finding the only one. That
// lets the engine go straight to it instead of trying all 48 in turn.
#include <array>
#include <cstdint>

#include "core/assignment_table.h"
#include "core/midi_bytes.h"

namespace ostrel {

enum class Sends : uint8_t {
    ControlChange,      // controller `number`, any channel
    ControlChangeOn,    // controller `number` on channel `channel` (0..15) only
    MasterVolume,       // B0 27, or the universal master volume F0 7F 7F 04 01 7F <value>
    Status,             // status byte `number`
    PitchBend,          // E0..EF
    Pattern,            // the bytes of `pattern`
    SongPositionZero,   // F2 00 00
    SongPositionMoved,  // F2 with a non-zero position
    RecordStrobe,       // F0 7F 00 06 06 F7 (record strobe) or F0 7F 00 06 07 F7 (record exit)
};

// Bytes compared at the start of the message, the zero bytes after a shorter
// message included. The engine zeroes this many bytes past every message.
inline constexpr int kPatternWindow = 12;

struct BytePattern {
    uint8_t bytes[kPatternWindow] = {};
    uint8_t length = 0;
};

struct ControlStep {
    Entry entry;  // REW for the song position step, which picks REW or FF by direction
    Sends sends;
    uint8_t number = 0;
    uint8_t channel = 0;
    BytePattern pattern = {};
    // KNOB08, GMON, XGON, GSON and ACTIVE know only "###" and "***"; any other
    // code leaves their message unrecognised.
    bool offOrNoChangeOnly = false;
};

// Whether the control's message counts as recognised under this code: the
// offOrNoChangeOnly controls know only "###" and "***".
constexpr bool KnowsCode(const ControlStep& step, CodeDecision code) {
    return !step.offOrNoChangeOnly || code.action == CodeAction::Suppress ||
           code.action == CodeAction::Pass;
}

// Whether the control change that replaces the control's message goes out on
// the input's channel (knobs, faders, drawbars, wheels and pedals); the others
// go out on channel 1.
constexpr bool ReplyKeepsChannel(Sends s) {
    return s == Sends::ControlChange || s == Sends::ControlChangeOn || s == Sends::PitchBend;
}
// Whether it carries the control's own value (the message's third byte, or byte
// 6 of the master volume's System Exclusive form) instead of 127.
constexpr bool ReplyKeepsValue(Sends s) { return ReplyKeepsChannel(s) || s == Sends::MasterVolume; }

namespace steps {
constexpr ControlStep Cc(Entry e, uint8_t controller) {
    return {e, Sends::ControlChange, controller};
}
constexpr ControlStep CcOn(Entry e, uint8_t channel) {
    return {e, Sends::ControlChangeOn, midi::kChannelVolume, channel};
}
constexpr ControlStep Status(Entry e, uint8_t status, bool offOrNoChangeOnly = false) {
    return {e, Sends::Status, status, 0, {}, offOrNoChangeOnly};
}
constexpr ControlStep Of(Entry e, Sends s) { return {e, s}; }
constexpr ControlStep Bytes(Entry e, BytePattern p) { return {e, Sends::Pattern, 0, 0, p, true}; }
}  // namespace steps

// Stage 1 of the translation, in order.
inline constexpr std::array<ControlStep, 48> kControlSteps = {{
    steps::Cc(Entry::KNOB01, 0x4A),
    steps::Cc(Entry::KNOB02, 0x47),
    steps::Cc(Entry::KNOB03, 0x49),
    steps::Cc(Entry::KNOB04, 0x48),
    steps::Cc(Entry::KNOB05, midi::kPan),
    steps::Cc(Entry::KNOB06, 0x5B),
    steps::Cc(Entry::KNOB07, 0x5D),
    steps::Status(Entry::KNOB08, midi::kTimingClock, true),
    steps::Of(Entry::VOLM, Sends::MasterVolume),
    steps::CcOn(Entry::VOL01, 0),
    steps::CcOn(Entry::VOL02, 1),
    steps::CcOn(Entry::VOL03, 2),
    steps::CcOn(Entry::VOL04, 3),
    steps::CcOn(Entry::VOL05, 4),
    steps::CcOn(Entry::VOL06, 5),
    steps::CcOn(Entry::VOL07, 6),
    steps::CcOn(Entry::VOL08, 7),
    steps::CcOn(Entry::VOL09, 8),
    steps::CcOn(Entry::VOL10, 9),
    steps::CcOn(Entry::VOL11, 10),
    steps::CcOn(Entry::VOL12, 11),
    steps::CcOn(Entry::VOL13, 12),
    steps::CcOn(Entry::VOL14, 13),
    steps::CcOn(Entry::VOL15, 14),
    steps::CcOn(Entry::VOL16, 15),
    steps::Cc(Entry::DRAWBARM, 0x0C),
    steps::Cc(Entry::DRAWBAR1, 0x0D),
    steps::Cc(Entry::DRAWBAR2, 0x0E),
    steps::Cc(Entry::DRAWBAR3, 0x0F),
    steps::Cc(Entry::DRAWBAR4, 0x10),
    steps::Cc(Entry::DRAWBAR5, 0x11),
    steps::Cc(Entry::DRAWBAR6, 0x12),
    steps::Cc(Entry::DRAWBAR7, 0x13),
    steps::Cc(Entry::DRAWBAR8, 0x14),
    steps::Of(Entry::RTZ, Sends::SongPositionZero),
    steps::Of(Entry::REW, Sends::SongPositionMoved),
    steps::Of(Entry::REC, Sends::RecordStrobe),
    steps::Status(Entry::STOP, midi::kStop),
    steps::Status(Entry::PLAY, midi::kStart),
    steps::Of(Entry::PITCH, Sends::PitchBend),
    steps::Cc(Entry::MODULATION, midi::kModulationWheel),
    steps::Cc(Entry::SUSTAIN, midi::kSustainPedal),
    steps::Cc(Entry::CONTROL, midi::kExpression),
    steps::Cc(Entry::BC, midi::kBreathControl),
    steps::Bytes(Entry::GMON, {{0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7}, 6}),
    steps::Bytes(Entry::XGON, {{0xF0, 0x43, 0x10, 0x4C, 0x00, 0x00, 0x7E, 0x00, 0xF7}, 9}),
    steps::Bytes(Entry::GSON,
                 {{0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}, 11}),
    steps::Status(Entry::ACTIVE, midi::kActiveSensing, true),
}};

inline constexpr uint8_t kNoStep = 0xFF;

constexpr bool StartsWith(const uint8_t* m, const uint8_t* bytes, int length) {
    for (int i = 0; i < length; ++i)
        if (m[i] != bytes[i]) return false;
    return true;
}

// The System Exclusive forms of the master volume (its value follows) and of
// the record button (strobe and exit).
inline constexpr BytePattern kMasterVolumeHead = {{0xF0, 0x7F, 0x7F, 0x04, 0x01, 0x7F}, 6};
inline constexpr BytePattern kRecordStrobe = {{0xF0, 0x7F, 0x00, 0x06, 0x06, 0xF7}, 6};
inline constexpr BytePattern kRecordExit = {{0xF0, 0x7F, 0x00, 0x06, 0x07, 0xF7}, 6};

constexpr bool StartsWith(const uint8_t* m, const BytePattern& p) {
    return StartsWith(m, p.bytes, p.length);
}

// Whether the control of `step` sent the message m (at least kPatternWindow
// bytes, zero past the message).
constexpr bool Recognises(const ControlStep& step, const uint8_t* m) {
    switch (step.sends) {
        case Sends::ControlChange:
            return midi::IsControlChange(m[0]) && m[1] == step.number;
        case Sends::ControlChangeOn:
            return m[0] == midi::OnChannel(midi::kControlChange, step.channel) &&
                   m[1] == step.number;
        case Sends::MasterVolume:
            return (m[0] == midi::kControlChange && m[1] == midi::kChannelVolumeFine) ||
                   StartsWith(m, kMasterVolumeHead);
        case Sends::Status:
            return m[0] == step.number;
        case Sends::PitchBend:
            return midi::IsPitchBend(m[0]);
        case Sends::Pattern:
            return StartsWith(m, step.pattern);
        case Sends::SongPositionZero:
            return m[0] == midi::kSongPosition && m[1] == 0 && m[2] == 0;
        case Sends::SongPositionMoved:
            return m[0] == midi::kSongPosition && (m[1] != 0 || m[2] != 0);
        case Sends::RecordStrobe:
            return StartsWith(m, kRecordStrobe) || StartsWith(m, kRecordExit);
    }
    return false;
}

namespace detail {

// For every channel and controller number, the first step in order that takes
// that control change.
constexpr std::array<uint8_t, 16 * 128> BuildControllerSteps() {
    std::array<uint8_t, 16 * 128> table{};
    table.fill(kNoStep);
    const auto claim = [&table](int channel, int controller, int step) {
        uint8_t& cell = table[channel * 128 + controller];
        if (cell == kNoStep) cell = static_cast<uint8_t>(step);
    };
    for (int i = 0; i < static_cast<int>(kControlSteps.size()); ++i) {
        const ControlStep& step = kControlSteps[i];
        switch (step.sends) {
            case Sends::ControlChange:
                for (int channel = 0; channel < 16; ++channel) claim(channel, step.number, i);
                break;
            case Sends::ControlChangeOn:
                claim(step.channel, step.number, i);
                break;
            case Sends::MasterVolume:
                claim(0, midi::kChannelVolumeFine,
                      i);  // B0 27; its System Exclusive form is found by status
                break;
            default:
                break;
        }
    }
    return table;
}

// The first byte of the messages that a step other than a control change can
// recognise, or -1 for "several".
constexpr int FirstByteOf(const ControlStep& step) {
    switch (step.sends) {
        case Sends::Status:
            return step.number;
        case Sends::MasterVolume:
        case Sends::Pattern:
        case Sends::RecordStrobe:
            return midi::kSystemExclusive;
        case Sends::SongPositionZero:
        case Sends::SongPositionMoved:
            return midi::kSongPosition;
        default:
            return -1;
    }
}

inline constexpr int kMaxStepsPerStatus = 5;

// For every status byte other than control changes: the steps, in order, that
// can recognise a message starting with it.
constexpr std::array<std::array<uint8_t, kMaxStepsPerStatus + 1>, 256> BuildStatusSteps() {
    std::array<std::array<uint8_t, kMaxStepsPerStatus + 1>, 256> table{};
    for (auto& row : table) row.fill(kNoStep);
    for (int status = 0; status < 256; ++status) {
        int n = 0;
        for (int i = 0; i < static_cast<int>(kControlSteps.size()); ++i) {
            const ControlStep& step = kControlSteps[i];
            const bool fits = step.sends == Sends::PitchBend ? midi::IsPitchBend(status)
                                                             : FirstByteOf(step) == status;
            if (fits) table[status][n++] = static_cast<uint8_t>(i);
        }
    }
    return table;
}

inline constexpr auto kControllerSteps = BuildControllerSteps();

// A System Exclusive form that a control sends, and the step that takes it.
struct LongForm {
    BytePattern pattern;
    uint8_t step = kNoStep;
};

// Every System Exclusive form of kControlSteps, in their order. Each ends in a
// byte other than 0, so only a message at least as long can match it.
constexpr std::array<LongForm, 6> BuildLongForms() {
    std::array<LongForm, 6> forms{};
    int n = 0;
    for (int i = 0; i < static_cast<int>(kControlSteps.size()); ++i) {
        const ControlStep& step = kControlSteps[i];
        const auto form = [&](const BytePattern& p) { forms[n++] = {p, static_cast<uint8_t>(i)}; };
        if (step.sends == Sends::MasterVolume) form(kMasterVolumeHead);
        if (step.sends == Sends::RecordStrobe) {
            form(kRecordStrobe);
            form(kRecordExit);
        }
        if (step.sends == Sends::Pattern) form(step.pattern);
    }
    return forms;
}
inline constexpr auto kStatusSteps = BuildStatusSteps();
inline constexpr auto kLongForms = BuildLongForms();

}  // namespace detail

// The index in kControlSteps of the control that sent m, or kNoStep.
inline uint8_t FindControlStep(const uint8_t* m) {
    const uint8_t status = m[0];
    if (midi::IsControlChange(status))
        return m[1] <= midi::kMaxData
                   ? detail::kControllerSteps[midi::ChannelOf(status) * 128 + m[1]]
                   : kNoStep;
    for (const uint8_t i : detail::kStatusSteps[status]) {
        if (i == kNoStep) break;
        if (Recognises(kControlSteps[i], m)) return i;
    }
    return kNoStep;
}

}  // namespace ostrel
