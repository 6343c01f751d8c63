#pragma once
// What the MIDI thread writes at the start of a cycle before the input: the
// ledger's releases that did not fit the last cycle, releases of every held
// note and pedal, a panic, and the output of other threads (System Exclusive
// from the send dialog or the command line) in the order it was queued.
//
// Threads: Push and Idle from any thread but the MIDI thread; Drain and
// ReleaseAll on the MIDI thread; Forget only while no MIDI thread runs.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <iterator>

#include "midi/midi_system.h"
#include "midi/monitor_tap.h"
#include "midi/note_ledger.h"
#include "midi/output_ring.h"

namespace ostrel {

class Outbox {
  public:
    // The controllers a panic sends on every channel, in order.
    static constexpr uint8_t kPanicControllers[] = {120, 121, 123};

    explicit Outbox(size_t ringBytes) : ring_(ringBytes) {}

    // False when the ring of waiting output has no room for it now.
    bool Push(OutputRing::Kind kind, const uint8_t* bytes = nullptr, size_t length = 0) {
        return ring_.Push(kind, bytes, length);
    }
    // Everything queued has been written (by a cycle that may still run).
    bool Idle() const { return ring_.Empty() && !releasing_.load(std::memory_order_acquire); }

    // MIDI thread: what the output holds is released in this cycle (the
    // keyboard that would end it went away).
    void ReleaseAll() { releasing_.store(true, std::memory_order_relaxed); }
    // MIDI thread: writes what waits, as far as the cycle has room; the rest
    // waits for the next cycle. largest: the largest event the port carries
    // (a message larger is never cut: counted in TooLarge). tap: where
    // releases and panics are told (null: the monitor does not log).
    void Drain(MidiWriter& out, size_t largest, NoteLedger& ledger, MonitorTap* tap) {
        // Most cycles find nothing waiting: told inline, without a call.
        if (ledger.HasPostponed() || panicNext_ != kNoPanic ||
            releasing_.load(std::memory_order_relaxed) || !ring_.Empty())
            DrainWaiting(out, largest, ledger, tap);
    }
    // Messages of other threads larger than the output port carries.
    uint64_t TooLarge() const { return tooLarge_.load(std::memory_order_relaxed); }

    // Only while no MIDI thread runs: what waits belonged to the old graph.
    void Forget();

  private:
    void DrainWaiting(MidiWriter& out, size_t largest, NoteLedger& ledger, MonitorTap* tap);
    // Writes what a panic sends after the releases; false when the cycle is
    // full (the rest next cycle).
    bool WritePanic(MidiWriter& out, MonitorTap* tap);

    OutputRing ring_;                     // producers: other threads; consumer: MIDI thread
    std::atomic<bool> releasing_{false};  // a release of held notes is under way
    std::atomic<uint64_t> tooLarge_{0};
    bool forgetReleased_ = false;  // MIDI thread: ... after which the ledger forgets
    // MIDI thread: a panic under way (the next of its 48 messages to write),
    // and the releases it made.
    static constexpr int kNoPanic = -1;
    int panicNext_ = kNoPanic;
    int panicReleased_ = 0;
};

}  // namespace ostrel
