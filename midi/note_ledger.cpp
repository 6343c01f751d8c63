#include "midi/note_ledger.h"

#include <cstring>

#include "core/midi_bytes.h"

namespace ostrel {

using midi::IsNoteOff;
using midi::IsNoteOn;
using midi::IsSustainPedal;

void NoteLedger::Clear() {
    std::memset(notes_, kNone, sizeof notes_);
    std::memset(pedals_, kNone, sizeof pedals_);
    held_ = 0;
    written_ = false;
}

bool NoteLedger::Intercept(const uint8_t* in, uint8_t* out, size_t* length) {
    const int channel = midi::ChannelOf(in[0]);
    uint8_t* cell = nullptr;
    if (IsNoteOff(in))
        cell = &notes_[channel][in[1] & midi::kMaxData];
    else if (IsSustainPedal(in) && in[2] < midi::kPedalDown)
        cell = &pedals_[channel];
    if (cell == nullptr || *cell == kNone) return false;

    *length = 0;
    if (*cell != kReleased) {
        // The end goes where the start went: the input's own kind of message
        // and values, on the output channel of the start.
        out[0] = midi::OnChannel(in[0], *cell - 1);
        out[1] = in[1];
        out[2] = in[2];
        *length = 3;
        --held_;
    }
    *cell = kNone;
    return true;
}

void NoteLedger::Record(const uint8_t* in, const uint8_t* out, size_t outLength) {
    if (outLength < 3) return;
    const int channel = midi::ChannelOf(in[0]);
    uint8_t* cell = nullptr;
    const bool pressed = IsNoteOn(in) || (IsSustainPedal(in) && in[2] >= midi::kPedalDown);
    if (IsNoteOn(in) && IsNoteOn(out) && out[1] == in[1])
        cell = &notes_[channel][in[1] & midi::kMaxData];
    else if (pressed && IsSustainPedal(out) && out[2] >= midi::kPedalDown)
        // The pedal, or a key whose box sends control change 64: a sustain press
        // either way, held until the pedal's release or Ostrel's.
        cell = &pedals_[channel];
    if (cell == nullptr) {
        // A key pressed again that now goes out as something else: its earlier
        // note is still held and keeps its place; a released mark is over.
        uint8_t& earlier = notes_[channel][in[1] & midi::kMaxData];
        if (IsNoteOn(in) && earlier == kReleased) earlier = kNone;
        return;
    }
    if (*cell == kNone || *cell == kReleased) ++held_;
    *cell = static_cast<uint8_t>(midi::ChannelOf(out[0]) + 1);
    written_ = true;
}

}  // namespace ostrel
