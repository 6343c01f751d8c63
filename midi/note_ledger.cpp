#include "midi/note_ledger.h"

#include <cstring>

namespace ostrel {

void NoteLedger::Clear() {
    std::memset(notes_, kNone, sizeof notes_);
    for (auto& channel : pedals_)
        for (PedalCell& pedal : channel) pedal = {};
    for (ShortMessage& release : kept_) release = {};
    keptCount_ = 0;
    held_ = 0;
    written_ = false;
}

namespace {
// A message's bytes, taken from its word in registers.
struct Bytes {
    uint8_t status, data1, data2;
    explicit Bytes(uint32_t m) : status(m & 0xFF), data1(m >> 8 & 0xFF), data2(m >> 16 & 0xFF) {}
};
}  // namespace

NoteLedger::Interception NoteLedger::InterceptEnd(uint32_t word) {
    const Bytes in(word);
    const int channel = midi::ChannelOf(in.status);
    if (midi::IsNote(in.status)) {  // a note-off, or a note-on of velocity 0
        uint8_t& cell = notes_[channel][in.data1 & midi::kMaxData];
        if (cell == kNone) return {};
        if (cell == kReleased) {
            cell = kNone;
            return {0, Held::ReleasedBefore};
        }
        // The end goes where the start went: the input's own kind of message
        // and values, on the output channel of the start.
        const uint32_t out =
            WordOf(MakeShort(midi::OnChannel(in.status, cell - 1), in.data1, in.data2));
        --held_;
        cell = kNone;
        return {out, Held::GoesOn};
    }
    if (!midi::IsControlChange(in.status) || LengthOf(word) < 3) return {};
    const int index = PedalIndex(in.data1);
    if (index < 0) return {};
    PedalCell& pedal = pedals_[channel][index];
    const bool releasing = in.data2 < midi::kPedalDown;
    if (pedal.channel == kNone) return {};
    if (pedal.channel == kReleased) {
        // Ostrel let it go already; pressed again, it is a new gesture.
        if (!releasing) return {};
        pedal.channel = kNone;
        return {0, Held::ReleasedBefore};
    }
    uint32_t out = 0;
    if (pedal.channel != kSuppressed)
        out = WordOf(MakeShort(midi::OnChannel(midi::kControlChange, pedal.channel - 1),
                               pedal.controller, in.data2));
    if (releasing) {
        pedal.channel = kNone;
        --held_;
    }
    return {out, Held::GoesOn};
}

uint32_t NoteLedger::RecordStart(uint32_t word, uint32_t sent) {
    const Bytes in(word), out(sent);
    const bool outWhole = LengthOf(sent) == 3;
    const int channel = midi::ChannelOf(in.status);
    if (IsNoteOn(word)) {
        uint8_t& cell = notes_[channel][in.data1 & midi::kMaxData];
        if (outWhole && IsNoteOn(sent) && out.data1 == in.data1) {
            const int to = midi::ChannelOf(out.status);
            uint32_t endFirst = 0;
            if (Holds(cell) && cell - 1 != to)
                endFirst = WordOf(MakeShort(midi::OnChannel(midi::kNoteOff, cell - 1), in.data1,
                                            kReleaseVelocity));
            if (!Holds(cell)) ++held_;
            cell = static_cast<uint8_t>(to + 1);
            written_ = true;
            return endFirst;
        }
        // A key pressed again that now goes out as something else: its earlier
        // note is still held and keeps its place; a released mark is over.
        if (cell == kReleased) cell = kNone;
        // A key whose box sends a pedal's controller holds that pedal like the
        // pedal itself, until the pedal's release or Ostrel's.
        if (outWhole && midi::IsControlChange(out.status) && PedalIndex(out.data1) >= 0 &&
            out.data2 >= midi::kPedalDown)
            return RecordPedal(pedals_[channel][PedalIndex(out.data1)], sent);
        return 0;
    }
    // A pedal pressed (Intercept took the moves of one already held).
    if (!midi::IsControlChange(in.status) || in.data2 < midi::kPedalDown) return 0;
    const int index = PedalIndex(in.data1);
    if (index < 0) return 0;
    PedalCell& pedal = pedals_[channel][index];
    if (LengthOf(sent) == 0) {
        if (!Holds(pedal.channel)) ++held_;
        pedal.channel = kSuppressed;
        written_ = true;
        return 0;
    }
    if (outWhole && midi::IsControlChange(out.status)) return RecordPedal(pedal, sent);
    return 0;
}

uint32_t NoteLedger::RecordPedal(PedalCell& pedal, uint32_t sent) {
    const Bytes out(sent);
    const PedalCell now{static_cast<uint8_t>(midi::ChannelOf(out.status) + 1), out.data1};
    uint32_t endFirst = 0;
    if (Holds(pedal.channel) && Sounds(pedal) &&
        (pedal.channel != now.channel || pedal.controller != now.controller))
        endFirst = WordOf(MakeShort(midi::OnChannel(midi::kControlChange, pedal.channel - 1),
                                    pedal.controller, 0x00));
    if (!Holds(pedal.channel)) ++held_;
    pedal = now;
    written_ = true;
    return endFirst;
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
