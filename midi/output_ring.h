#pragma once
// Output from threads other than the MIDI thread (System Exclusive from the send
// dialog or the command line, releases of held notes) on its way to the MIDI
// thread: one preallocated byte ring of records, each a 4-byte header (kind and
// length) followed by its bytes. Producers never wait for the MIDI thread (a
// full ring refuses the record); the MIDI thread reads records in place and
// leaves one it cannot write this cycle for the next.
//
// Producers are serialised among themselves by a mutex that the MIDI thread
// never touches.
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>

namespace ostrel {

class OutputRing {
  public:
    enum class Kind : uint8_t { Message = 1, ReleaseHeld = 2, ReleaseAndForget = 3 };

    explicit OutputRing(size_t capacityBytes);
    OutputRing(const OutputRing&) = delete;
    OutputRing& operator=(const OutputRing&) = delete;

    // Any thread but the MIDI thread. False when the record does not fit now.
    bool Push(Kind kind, const uint8_t* bytes, size_t length);
    // Largest message a record can carry.
    size_t MaxMessage() const { return capacity_ - kHeader; }

    // MIDI thread: the oldest record, its bytes copied into a buffer of the
    // ring's own; false when the ring is empty.
    bool Front(Kind& kind, const uint8_t*& bytes, size_t& length);
    // MIDI thread: the record returned by Front() is done.
    void PopFront();
    // Only while no MIDI thread runs (the graph went away): drops every record.
    void Clear();

    bool Empty() const {
        return read_.load(std::memory_order_acquire) == write_.load(std::memory_order_acquire);
    }

  private:
    static constexpr size_t kHeader = 4;
    void CopyIn(size_t at, const uint8_t* bytes, size_t n);
    void CopyOut(size_t at, uint8_t* bytes, size_t n) const;

    const size_t capacity_;
    std::unique_ptr<uint8_t[]> ring_;
    std::unique_ptr<uint8_t[]> front_;  // MIDI thread: the front record's bytes
    size_t frontSize_ = 0;              // header + bytes of the record in front_, 0: none
    std::mutex producers_;
    alignas(64) std::atomic<size_t> read_{0};
    alignas(64) std::atomic<size_t> write_{0};
};

}  // namespace ostrel
