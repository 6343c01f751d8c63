#include "midi/output_ring.h"

#include <algorithm>
#include <cstring>

namespace ostrel {
namespace {

// The kind of the header that marks the rest of the ring, up to its end, as unused.
constexpr uint8_t kRestUnused = 0;

}  // namespace

OutputRing::OutputRing(size_t capacityBytes)
    : capacity_(std::max<size_t>(capacityBytes, 64) / kHeader * kHeader),
      ring_(new uint8_t[capacity_]()) {}

size_t OutputRing::MaxMessage() const {
    return std::min(capacity_ / 2 / kHeader * kHeader - kHeader, (size_t{1} << 24) - 1);
}

void OutputRing::PutHeader(size_t at, uint8_t kind, size_t length) {
    const uint32_t header = kind | static_cast<uint32_t>(length) << 8;
    std::memcpy(ring_.get() + at, &header, kHeader);
}

uint32_t OutputRing::HeaderAt(size_t at) const {
    uint32_t header = 0;
    std::memcpy(&header, ring_.get() + at, kHeader);
    return header;
}

bool OutputRing::Push(Kind kind, const uint8_t* bytes, size_t length) {
    if (length > MaxMessage()) return false;
    const size_t size = Size(length);
    std::lock_guard<std::mutex> lock(producers_);
    const size_t write = write_.load(std::memory_order_relaxed);
    const size_t start = write % capacity_;
    const size_t rest = capacity_ - start < size ? capacity_ - start : 0;
    if (capacity_ - (write - read_.load(std::memory_order_acquire)) < rest + size) return false;
    if (rest != 0) PutHeader(start, kRestUnused, 0);
    const size_t at = (write + rest) % capacity_;
    PutHeader(at, static_cast<uint8_t>(kind), length);
    if (length > 0) std::memcpy(ring_.get() + at + kHeader, bytes, length);
    write_.store(write + rest + size, std::memory_order_release);
    return true;
}

bool OutputRing::Front(Record& record) {
    size_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    uint32_t header = HeaderAt(read % capacity_);
    if ((header & 0xFF) == kRestUnused) {
        read += capacity_ - read % capacity_;
        header = HeaderAt(0);
    }
    record.kind = static_cast<Kind>(header & 0xFF);
    record.length = header >> 8;
    record.bytes = ring_.get() + read % capacity_ + kHeader;
    next_ = read + Size(record.length);
    return true;
}

void OutputRing::PopFront() { read_.store(next_, std::memory_order_release); }

void OutputRing::Clear() {
    std::lock_guard<std::mutex> lock(producers_);
    read_.store(write_.load(std::memory_order_acquire), std::memory_order_release);
}

}  // namespace ostrel
