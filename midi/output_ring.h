#pragma once
// Output from threads other than the MIDI thread (System Exclusive from the send
// dialog or the command line, releases of held notes) on its way to the MIDI
// thread: one preallocated byte ring of records, each a 4-byte header (kind and
// length) followed by its bytes. A record never straddles the ring's end: one
// that would is put at the start, after a header that marks the rest of the
// ring as unused. So the MIDI thread hands each record's bytes to the output
// port where they lie, copied once, into the port. Producers never wait for the
// MIDI thread (a full ring refuses the record); the MIDI thread leaves a record
// it cannot write this cycle for the next.
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
    enum class Kind : uint8_t { Message = 1, ReleaseHeld = 2, ReleaseAndForget = 3, Panic = 4 };
    struct Record {
        Kind kind = Kind::Message;
        const uint8_t* bytes = nullptr;  // in the ring, valid until PopFront()
        size_t length = 0;
    };

    explicit OutputRing(size_t capacityBytes);
    OutputRing(const OutputRing&) = delete;
    OutputRing& operator=(const OutputRing&) = delete;

    // Any thread but the MIDI thread. False when the record does not fit now.
    bool Push(Kind kind, const uint8_t* bytes, size_t length);
    // Largest message a record can carry: one that size fits an empty ring
    // wherever its end stands.
    size_t MaxMessage() const;

    // MIDI thread: the oldest record, where it lies; false when the ring is empty.
    bool Front(Record& record);
    // MIDI thread: the record returned by Front() is done.
    void PopFront();
    // Only while no MIDI thread runs (the graph went away): drops every record.
    void Clear();

    bool Empty() const {
        return read_.load(std::memory_order_acquire) == write_.load(std::memory_order_acquire);
    }

  private:
    static constexpr size_t kHeader = 4;
    // Records start at multiples of the header's size, so that the rest of the
    // ring before its end is either nothing or room for a header.
    static size_t Size(size_t length) {
        return kHeader + (length + kHeader - 1) / kHeader * kHeader;
    }
    void PutHeader(size_t at, uint8_t kind, size_t length);
    uint32_t HeaderAt(size_t at) const;

    const size_t capacity_;
    std::unique_ptr<uint8_t[]> ring_;
    size_t next_ = 0;  // MIDI thread: where the record after Front()'s begins
    std::mutex producers_;
    alignas(64) std::atomic<size_t> read_{0};
    alignas(64) std::atomic<size_t> write_{0};
};

}  // namespace ostrel
