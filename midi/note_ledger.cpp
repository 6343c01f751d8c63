#include "midi/note_ledger.h"

#include <cstring>

namespace ostrel {

using midi::IsNoteOff;
using midi::IsNoteOn;

void NoteLedger::Clear() {
    std::memset(notes_, kNone, sizeof notes_);
    for (auto& channel : pedals_)
        for (PedalCell& pedal : channel) pedal = {};
    for (ShortMessage& release : kept_) release = {};
    keptCount_ = 0;
    held_ = 0;
    written_ = false;
}

NoteLedger::Held NoteLedger::InterceptEnd(const ShortMessage& in, ShortMessage* out) {
    const int channel = midi::ChannelOf(in.bytes[0]);
    *out = {};
    if (IsNoteOff(in.bytes)) {
        uint8_t& cell = notes_[channel][in.bytes[1] & midi::kMaxData];
        if (cell == kNone) return Held::No;
        const bool released = cell == kReleased;
        // The end goes where the start went: the input's own kind of message
        // and values, on the output channel of the start.
        if (!released) {
            *out = MakeShort(midi::OnChannel(in.bytes[0], cell - 1), in.bytes[1], in.bytes[2]);
            --held_;
        }
        cell = kNone;
        return released ? Held::ReleasedBefore : Held::GoesOn;
    }
    if (!midi::IsControlChange(in.bytes[0]) || in.length < 3) return Held::No;
    const int index = PedalIndex(in.bytes[1]);
    if (index < 0) return Held::No;
    PedalCell& pedal = pedals_[channel][index];
    const bool releasing = in.bytes[2] < midi::kPedalDown;
    if (pedal.channel == kNone) return Held::No;
    if (pedal.channel == kReleased) {
        // Ostrel let it go already; pressed again, it is a new gesture.
        if (!releasing) return Held::No;
        pedal.channel = kNone;
        return Held::ReleasedBefore;
    }
    if (pedal.channel != kSuppressed)
        *out = MakeShort(midi::OnChannel(midi::kControlChange, pedal.channel - 1), pedal.controller,
                         in.bytes[2]);
    if (releasing) {
        pedal.channel = kNone;
        --held_;
    }
    return Held::GoesOn;
}

void NoteLedger::RecordStart(const ShortMessage& in, const ShortMessage& out,
                             ShortMessage* endFirst) {
    const int channel = midi::ChannelOf(in.bytes[0]);
    if (IsNoteOn(in.bytes)) {
        uint8_t& cell = notes_[channel][in.bytes[1] & midi::kMaxData];
        if (out.length == 3 && IsNoteOn(out.bytes) && out.bytes[1] == in.bytes[1]) {
            const int to = midi::ChannelOf(out.bytes[0]);
            if (Holds(cell) && cell - 1 != to)
                *endFirst = MakeShort(midi::OnChannel(midi::kNoteOff, cell - 1), in.bytes[1],
                                      kReleaseVelocity);
            if (!Holds(cell)) ++held_;
            cell = static_cast<uint8_t>(to + 1);
            written_ = true;
            return;
        }
        // A key pressed again that now goes out as something else: its earlier
        // note is still held and keeps its place; a released mark is over.
        if (cell == kReleased) cell = kNone;
        // A key whose box sends a pedal's controller holds that pedal like the
        // pedal itself, until the pedal's release or Ostrel's.
        if (out.length == 3 && midi::IsControlChange(out.bytes[0]) &&
            PedalIndex(out.bytes[1]) >= 0 && out.bytes[2] >= midi::kPedalDown)
            RecordPedal(pedals_[channel][PedalIndex(out.bytes[1])], out, endFirst);
        return;
    }
    // A pedal pressed (Intercept took the moves of one already held).
    if (!midi::IsControlChange(in.bytes[0]) || in.bytes[2] < midi::kPedalDown) return;
    const int index = PedalIndex(in.bytes[1]);
    if (index < 0) return;
    PedalCell& pedal = pedals_[channel][index];
    if (out.length == 0) {
        if (!Holds(pedal.channel)) ++held_;
        pedal.channel = kSuppressed;
        written_ = true;
    } else if (out.length == 3 && midi::IsControlChange(out.bytes[0])) {
        RecordPedal(pedal, out, endFirst);
    }
}

void NoteLedger::RecordPedal(PedalCell& pedal, const ShortMessage& out, ShortMessage* endFirst) {
    const PedalCell now{static_cast<uint8_t>(midi::ChannelOf(out.bytes[0]) + 1), out.bytes[1]};
    if (Holds(pedal.channel) && Sounds(pedal) &&
        (pedal.channel != now.channel || pedal.controller != now.controller))
        *endFirst = MakeShort(midi::OnChannel(midi::kControlChange, pedal.channel - 1),
                              pedal.controller, 0x00);
    if (!Holds(pedal.channel)) ++held_;
    pedal = now;
    written_ = true;
}

int NoteLedger::SlotOf(const ShortMessage& release) {
    const int channel = midi::ChannelOf(release.bytes[0]);
    if (midi::IsNote(release.bytes[0])) return channel * 128 + (release.bytes[1] & midi::kMaxData);
    return 16 * 128 + channel * kPedals + PedalIndex(release.bytes[1]);
}

void NoteLedger::Postpone(const ShortMessage& release) {
    if (!IsRelease(release)) return;
    const int slot = SlotOf(release);
    if (kept_[slot].length == 0) keptOrder_[keptCount_++] = static_cast<uint16_t>(slot);
    kept_[slot] = release;
    written_ = true;
}

}  // namespace ostrel
