#pragma once
// Sends of the MIDI thread and of the window share one output port. The port
// must not be used by two threads at once (RtMidi's JACK and ALSA outputs are not
// safe for that), yet the MIDI thread must never wait. The gate solves this with
// one token:
// - The MIDI thread takes the token if it is free and sends directly. If the
//   window holds it, the MIDI thread leaves the message in a bounded lock-free
//   queue and goes on; the token holder sends the queued messages, in order,
//   before anything else and before it lets go of the token.
// - The window (System Exclusive transmission, opening and closing the port)
//   waits for the token; the MIDI thread holds it only for one send.
// A message that does not fit the queue is counted as dropped.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "midi/midi_services.h"
#include "midi/spsc_queue.h"

namespace ostrel {

class OutputGate {
  public:
    // deferredBytes: room for messages that wait while the window holds the token.
    explicit OutputGate(size_t deferredBytes = 256 * 1024);
    ~OutputGate();
    OutputGate(const OutputGate&) = delete;
    OutputGate& operator=(const OutputGate&) = delete;

    // MIDI thread: never waits. Nothing is sent while no port is installed.
    void SendShortFromMidi(uint32_t packed);
    void SendLongFromMidi(const uint8_t* bytes, size_t length);

    // Any other thread, one at a time: waits for the token, then sends.
    void SendLongFromOtherThread(const uint8_t* bytes, size_t length);
    // Installs port (null: none) and returns the previous one, which the caller
    // destroys outside the gate. Messages queued for the old port go to it first.
    std::unique_ptr<MidiOutputPort> Exchange(std::unique_ptr<MidiOutputPort> port);

    bool HasPort() const { return hasPort_.load(std::memory_order_acquire); }
    // Messages of the MIDI thread lost because the queue was full.
    uint64_t DroppedSends() const { return dropped_.load(std::memory_order_relaxed); }

  private:
    // A queued message is cut into chunks of this record.
    static constexpr size_t kChunkBytes = 56;  // a record of 64 bytes
    struct Chunk {
        uint32_t length = 0;   // bytes used in this chunk
        bool isShort = false;  // bytes hold a packed short message (4 bytes)
        bool last = false;     // the message ends with this chunk
        uint8_t bytes[kChunkBytes] = {};
    };

    bool TryTake() { return !busy_.exchange(true, std::memory_order_seq_cst); }
    // A read-modify-write on one shared word: whichever of the two threads comes
    // second sees everything the first did before it.
    void Handshake() { handshake_.fetch_add(1, std::memory_order_acq_rel); }
    void TakeWaiting();
    // Lets go of the token, then takes it back for as long as the MIDI thread
    // queued messages that nobody else will send.
    void ReleaseAndRecheck();
    void Defer(bool isShort, const uint8_t* bytes, size_t length);
    // Token holder only.
    void SendDeferred();
    void Deliver(bool isShort, const uint8_t* bytes, size_t length);

    std::atomic<bool> busy_{false};
    std::atomic<uint32_t> handshake_{0};
    std::atomic<bool> hasPort_{false};
    std::atomic<uint64_t> dropped_{0};
    std::unique_ptr<MidiOutputPort> port_;  // token holder only
    SpscQueue<Chunk> deferred_;             // producer: MIDI thread; consumer: token holder
    std::unique_ptr<uint8_t[]> joined_;     // token holder: a queued message put back together
    size_t joinedSize_;
};

}  // namespace ostrel
