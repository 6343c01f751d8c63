#include "midi/note_ledger.h"

#include <cstring>

namespace ostrel {
namespace {

constexpr uint8_t kSustain = 0x40;

bool IsNoteOn(const uint8_t* m) { return (m[0] & 0xF0) == 0x90 && m[2] != 0; }
bool IsNoteOff(const uint8_t* m) {
    return (m[0] & 0xF0) == 0x80 || ((m[0] & 0xF0) == 0x90 && m[2] == 0);
}
bool IsPedal(const uint8_t* m) { return (m[0] & 0xF0) == 0xB0 && m[1] == kSustain; }

}  // namespace

void NoteLedger::Clear() {
    std::memset(notes_, kNone, sizeof notes_);
    std::memset(pedals_, kNone, sizeof pedals_);
    held_ = 0;
}

bool NoteLedger::Intercept(const uint8_t* in, uint8_t* out, size_t* length) {
    const int channel = in[0] & 0x0F;
    uint8_t* cell = nullptr;
    if (IsNoteOff(in))
        cell = &notes_[channel][in[1] & 0x7F];
    else if (IsPedal(in) && in[2] < 64)
        cell = &pedals_[channel];
    if (cell == nullptr || *cell == kNone) return false;

    *length = 0;
    if (*cell != kReleased) {
        // The end goes where the start went: the input's own kind of message
        // and values, on the output channel of the start.
        out[0] = static_cast<uint8_t>((in[0] & 0xF0) | (*cell - 1));
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
    const int channel = in[0] & 0x0F;
    uint8_t* cell = nullptr;
    if (IsNoteOn(in) && IsNoteOn(out) && out[1] == in[1])
        cell = &notes_[channel][in[1] & 0x7F];
    else if (IsPedal(in) && in[2] >= 64 && IsPedal(out) && out[2] >= 64)
        cell = &pedals_[channel];
    if (cell == nullptr) {
        // A key pressed again that now goes out as something else: its earlier
        // note is still held and keeps its place; a released mark is over.
        if (IsNoteOn(in) && notes_[channel][in[1] & 0x7F] == kReleased)
            notes_[channel][in[1] & 0x7F] = kNone;
        return;
    }
    if (*cell == kNone || *cell == kReleased) ++held_;
    *cell = static_cast<uint8_t>((out[0] & 0x0F) + 1);
}

}  // namespace ostrel
