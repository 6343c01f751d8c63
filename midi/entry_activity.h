#pragma once
// When each entry of the table last decided a message, for the window's lights.
// The MIDI thread stamps the entries of every message's decision with its own
// clock, which ticks once per such message (no system call); the window reads
// the stamps at its own pace and keeps the time it first saw a new one on its
// own clock. One writer, any number of readers, no lock.
#include <array>
#include <atomic>
#include <cstdint>

#include "core/assignment_table.h"
#include "core/decision.h"

namespace ostrel {

class EntryActivity {
  public:
    // One slot per entry (KNOB01 .. CURVE, by Entry value), then one per note.
    static constexpr int kSlotCount = kEntryCount + 128;
    static constexpr int SlotOf(Entry e) { return static_cast<int>(e); }
    static constexpr int NoteSlot(int note) { return kEntryCount + (note & 0x7F); }

    // MIDI thread: the entries that recognised or changed this message fired now.
    // A decision as its word (WordOf), as the MIDI path carries it.
    void Fire(uint32_t d) {
        if (IsEmptyDecision(d)) return;
        const uint32_t now = ++clock_;
        const uint32_t entry = d & 0xFF, note = d >> 8 & 0xFF, by = d >> 16 & 0xFF;
        if (entry != static_cast<uint8_t>(kNoEntry)) Stamp(static_cast<int>(entry), now);
        if (note != kNoNote) Stamp(NoteSlot(static_cast<int>(note)), now);
        if (by & kByTouchCurve) Stamp(SlotOf(Entry::TOUCH), now);
        if (by & kByVelocityCurve) Stamp(SlotOf(Entry::CURVE), now);
        if (by & kByChannel) Stamp(SlotOf(Entry::CHANEL), now);
    }
    void Fire(const Decision& d) { Fire(WordOf(d)); }

    // Any thread: whether anyone looks at the stamps (the window's lights, while
    // the form is on the screen). The MIDI thread stamps only then: the command
    // line and a hidden window cost it nothing.
    void SetWatched(bool on) { watched_.store(on, std::memory_order_relaxed); }
    bool Watched() const { return watched_.load(std::memory_order_relaxed); }

    // Any thread: the MIDI thread's time of the slot's last firing; it changes
    // whenever the slot fires again (0: not yet).
    uint32_t LastFired(int slot) const { return fired_[slot].load(std::memory_order_relaxed); }

  private:
    void Stamp(int slot, uint32_t now) { fired_[slot].store(now, std::memory_order_relaxed); }

    uint32_t clock_ = 0;  // MIDI thread only
    std::atomic<bool> watched_{false};
    std::array<std::atomic<uint32_t>, kSlotCount> fired_{};
};

}  // namespace ostrel
