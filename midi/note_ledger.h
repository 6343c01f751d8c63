#pragma once
// What is sounding on the output because Ostrel sent it, and the one rule that
// keeps it from sounding forever: a gesture belongs to where it began.
//
// - A note, from its note-on to its note-off: for each key (input channel and
//   note) whose note-on went out as a note-on, the output channel it went to.
//   Its note-off goes there, whatever the table, scene or Channel box say by
//   then. A key struck again while it still sounds elsewhere is ended there
//   first (Record's endFirst), so two presses never leave one note behind.
// - A pedal (sustain 64, sostenuto 66, soft 67), from the value that presses it
//   to the one that releases it: the output channel and controller its press
//   went out as (or that it was suppressed). Every move in between (a
//   half-damper pedal sends them all the time) and the release go the same way.
// - A release that does not fit in this cycle's output is kept (Postpone) and
//   written first in the next cycle, at its frame 0: the ledger lets go of a
//   note only once its release went out.
//
// MIDI thread only: fixed arrays, no allocation, no lock.
#include <array>
#include <cstddef>
#include <cstdint>

#include "core/midi_bytes.h"
#include "core/short_message.h"

namespace ostrel {

class NoteLedger {
    static constexpr auto kPedalIndex = [] {
        std::array<int8_t, 256> index{};
        index.fill(-1);
        index[midi::kSustainPedal] = 0;
        index[midi::kSostenutoPedal] = 1;
        index[midi::kSoftPedal] = 2;
        return index;
    }();

  public:
    NoteLedger() { Clear(); }

    // The pedals the ledger follows (sustain, sostenuto, soft): 0..2, or -1.
    static constexpr int PedalIndex(uint8_t controller) { return kPedalIndex[controller]; }
    // Whether a message that goes out ends something: a note-off, or a pedal
    // let go. Only these are kept for the next cycle when a cycle is full.
    static constexpr bool IsRelease(const ShortMessage& m) {
        if (m.length < 3) return false;
        if (midi::IsNoteOff(m.bytes)) return true;
        return midi::IsControlChange(m.bytes[0]) && PedalIndex(m.bytes[1]) >= 0 &&
               m.bytes[2] < midi::kPedalDown;
    }

    // Whether the ledger can have anything to do with a received message: a
    // note, or a pedal's controller. The others pass it by.
    // in: the message's word (WordOf).
    static constexpr bool Concerns(uint32_t in) {
        const uint8_t status = in & 0xFF;
        return midi::IsNote(status) ||
               (midi::IsControlChange(status) && PedalIndex(in >> 8 & 0xFF) >= 0);
    }

    // For a received short message, before the table: whether it goes on with
    // or ends a gesture that the ledger holds (a held key's note-off, a held
    // pedal's move or release), with what goes out (length 0: nothing, for a
    // gesture whose start was suppressed); or ends one that Ostrel released
    // already (nothing goes out). No: the table decides, then Record.
    // Messages as words (WordOf), the result returned in a register.
    enum class Held : uint8_t { No, GoesOn, ReleasedBefore };
    struct Interception {
        uint32_t out = 0;
        Held how = Held::No;
    };
    Interception Intercept(uint32_t in) {
        // A key struck is always the table's; its end may be the ledger's.
        if (IsNoteOn(in)) return {};
        return InterceptEnd(in);
    }

    // After the table decided what goes out (out, length 0: nothing) for a
    // received message: remembers where a note or pedal began. When out starts
    // a key that still sounds on another channel, returns the note-off that
    // ends it there, to be written before out (else length 0).
    uint32_t Record(uint32_t in, uint32_t out) {
        // Only a key struck or a pedal pressed begins something.
        if (LengthOf(in) == 3 && (IsNoteOn(in) || midi::IsControlChange(in & 0xFF)))
            return RecordStart(in, out);
        return 0;
    }

    // A release (IsRelease) that did not fit in this cycle's output: kept, at
    // most one for each output channel and note or pedal (a later one for the
    // same replaces it), to be written by WritePostponed.
    void Postpone(const ShortMessage& release);
    // Writes the kept releases in the order they came, while send(message)
    // returns true. True when none is left.
    template <typename Emit>
    bool WritePostponed(Emit&& send);

    // Emits a note-off (80-8F, note, 40) for every held note and a release (Bx
    // controller 00) for every held pedal, while send(message) returns true;
    // the emitted ones are marked released so that their own note-off or pedal
    // release, when it comes, is suppressed. True when nothing held is left.
    template <typename Emit>
    bool ReleaseAll(Emit&& send);

    bool HoldsAnything() const { return held_ > 0; }
    // Releases kept for the next cycle wait (WritePostponed).
    bool HasPostponed() const { return keptCount_ != 0; }
    // Nothing held, kept or marked released since the last Clear().
    bool Blank() const { return !written_; }
    // Everything forgotten, released marks and kept releases too (a new MIDI
    // graph, nobody listening on the output any more).
    void Clear();

    static constexpr uint8_t kNone = 0;
    static constexpr uint8_t kReleased = 0xFF;
    // A pedal whose press the table suppressed: its moves and release are too.
    static constexpr uint8_t kSuppressed = 0xFE;
    // The note off velocity of a note that the ledger releases on its own.
    static constexpr uint8_t kReleaseVelocity = 0x40;

  private:
    // Where a pedal's press went: its output channel + 1 (or kNone, kReleased,
    // kSuppressed) and the controller it went out as.
    struct PedalCell {
        uint8_t channel = kNone;
        uint8_t controller = 0;
    };
    static constexpr int kPedals = 3;
    static constexpr bool Holds(uint8_t cell) { return cell != kNone && cell != kReleased; }
    // Whether what a press went out as needs Ostrel's release at the end (a
    // pedal controller, held down).
    static constexpr bool Sounds(const PedalCell& cell) {
        return cell.channel != kSuppressed && PedalIndex(cell.controller) >= 0;
    }
    // A note-on with a velocity, as a word.
    static constexpr bool IsNoteOn(uint32_t m) {
        return midi::IsNoteOnStatus(m & 0xFF) && (m & 0xFF0000u) != 0;
    }
    Interception InterceptEnd(uint32_t in);
    uint32_t RecordStart(uint32_t in, uint32_t out);
    uint32_t RecordPedal(PedalCell& cell, uint32_t out);

    // Kept releases: one slot for each output channel and note, then for each
    // output channel and pedal; the slots in the order they were kept.
    static constexpr int kSlots = 16 * 128 + 16 * kPedals;
    static int SlotOf(const ShortMessage& release);

    // Output channel + 1 of a held note, kNone, or kReleased.
    uint8_t notes_[16][128];
    PedalCell pedals_[16][kPedals];
    int held_ = 0;
    bool written_ = false;
    ShortMessage kept_[kSlots];
    uint16_t keptOrder_[kSlots];
    int keptCount_ = 0;
};

template <typename Emit>
bool NoteLedger::WritePostponed(Emit&& send) {
    int done = 0;
    while (done < keptCount_) {
        ShortMessage& release = kept_[keptOrder_[done]];
        if (!send(release)) break;
        release = {};
        ++done;
    }
    for (int i = done; i < keptCount_; ++i) keptOrder_[i - done] = keptOrder_[i];
    keptCount_ -= done;
    return keptCount_ == 0;
}

template <typename Emit>
bool NoteLedger::ReleaseAll(Emit&& send) {
    for (int ch = 0; ch < 16 && held_ > 0; ++ch) {
        for (int note = 0; note < 128 && held_ > 0; ++note) {
            uint8_t& cell = notes_[ch][note];
            if (!Holds(cell)) continue;
            if (!send(MakeShort(midi::OnChannel(midi::kNoteOff, cell - 1),
                                static_cast<uint8_t>(note), kReleaseVelocity)))
                return false;
            cell = kReleased;
            written_ = true;
            --held_;
        }
        for (PedalCell& pedal : pedals_[ch]) {
            if (!Holds(pedal.channel)) continue;
            if (Sounds(pedal)) {
                if (!send(MakeShort(midi::OnChannel(midi::kControlChange, pedal.channel - 1),
                                    pedal.controller, 0x00)))
                    return false;
                pedal.channel = kReleased;
            } else {
                // Suppressed, or gone out as a controller that holds nothing:
                // nothing to release, and its next move is the table's again.
                pedal.channel = kNone;
            }
            written_ = true;
            --held_;
        }
    }
    return held_ == 0;
}

}  // namespace ostrel
