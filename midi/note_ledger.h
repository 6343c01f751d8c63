#pragma once
// What is sounding on the output because Ostrel sent it: for each key (input
// channel and note) whose note-on went out as a note-on, the output channel it
// went to; for each input channel whose sustain pedal went out held as control
// change 64, the output channel of that. A note-off or pedal release for what
// the ledger holds goes where its start went, whatever the table says by then,
// so a table or channel change never leaves a note sounding.
//
// MIDI thread only: fixed arrays, no allocation, no lock.
#include <cstddef>
#include <cstdint>

#include "core/midi_bytes.h"

namespace ostrel {

class NoteLedger {
  public:
    NoteLedger() { Clear(); }

    // For a received short message: when the ledger decides it (the end of a
    // note or pedal that it holds or has already released), true, with what
    // goes out in out[0..2] and its length in *length (0: nothing). The entry
    // is forgotten. False: the table decides.
    bool Intercept(const uint8_t* in, uint8_t* out, size_t* length);

    // After the table decided: remembers a note-on that went out as a note-on,
    // or a pedal press or played key that went out as a held control change 64.
    void Record(const uint8_t* in, const uint8_t* out, size_t outLength);

    // Emits a note-off (80-8F, note, 40) for every held note and a pedal release
    // (Bx 40 00) for every held pedal, while emit(bytes, 3) returns true; the
    // emitted ones are marked released so that their own note-off or pedal
    // release, when it comes, is suppressed. True when nothing held is left.
    template <typename Emit>
    bool ReleaseAll(Emit&& emit);

    bool HoldsAnything() const { return held_ > 0; }
    // Nothing held and nothing marked released since the last Clear().
    bool Blank() const { return !written_; }
    // Everything forgotten, released marks too (a new MIDI graph, nobody
    // listening on the output any more).
    void Clear();

    static constexpr uint8_t kNone = 0;
    static constexpr uint8_t kReleased = 0xFF;
    // The note off velocity of a note that the ledger releases on its own.
    static constexpr uint8_t kReleaseVelocity = 0x40;

  private:
    // Output channel + 1 of a held note or pedal, kNone, or kReleased.
    uint8_t notes_[16][128];
    uint8_t pedals_[16];
    int held_ = 0;
    bool written_ = false;
};

template <typename Emit>
bool NoteLedger::ReleaseAll(Emit&& emit) {
    for (int ch = 0; ch < 16 && held_ > 0; ++ch) {
        for (int note = 0; note < 128 && held_ > 0; ++note) {
            uint8_t& cell = notes_[ch][note];
            if (cell == kNone || cell == kReleased) continue;
            const uint8_t off[3] = {midi::OnChannel(midi::kNoteOff, cell - 1),
                                    static_cast<uint8_t>(note), kReleaseVelocity};
            if (!emit(off, size_t{3})) return false;
            cell = kReleased;
            written_ = true;
            --held_;
        }
        uint8_t& pedal = pedals_[ch];
        if (pedal == kNone || pedal == kReleased) continue;
        const uint8_t up[3] = {midi::OnChannel(midi::kControlChange, pedal - 1),
                               midi::kSustainPedal, 0x00};
        if (!emit(up, size_t{3})) return false;
        pedal = kReleased;
        written_ = true;
        --held_;
    }
    return held_ == 0;
}

}  // namespace ostrel
