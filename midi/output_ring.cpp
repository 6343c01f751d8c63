#include "midi/output_ring.h"

#include <algorithm>
#include <cstring>

namespace ostrel {

OutputRing::OutputRing(size_t capacityBytes)
    : capacity_(std::max<size_t>(capacityBytes, 64)),
      ring_(new uint8_t[capacity_]()),
      front_(new uint8_t[capacity_]()) {}

void OutputRing::CopyIn(size_t at, const uint8_t* bytes, size_t n) {
    const size_t start = at % capacity_;
    const size_t first = std::min(n, capacity_ - start);
    std::memcpy(ring_.get() + start, bytes, first);
    std::memcpy(ring_.get(), bytes + first, n - first);
}

void OutputRing::CopyOut(size_t at, uint8_t* bytes, size_t n) const {
    const size_t start = at % capacity_;
    const size_t first = std::min(n, capacity_ - start);
    std::memcpy(bytes, ring_.get() + start, first);
    std::memcpy(bytes + first, ring_.get(), n - first);
}

bool OutputRing::Push(Kind kind, const uint8_t* bytes, size_t length) {
    if (length > MaxMessage() || length >= (size_t{1} << 24)) return false;
    std::lock_guard<std::mutex> lock(producers_);
    const size_t write = write_.load(std::memory_order_relaxed);
    const size_t used = write - read_.load(std::memory_order_acquire);
    if (capacity_ - used < kHeader + length) return false;
    const uint32_t header = static_cast<uint32_t>(kind) | static_cast<uint32_t>(length) << 8;
    uint8_t head[kHeader];
    std::memcpy(head, &header, kHeader);
    CopyIn(write, head, kHeader);
    if (length > 0) CopyIn(write + kHeader, bytes, length);
    write_.store(write + kHeader + length, std::memory_order_release);
    return true;
}

bool OutputRing::Front(Kind& kind, const uint8_t*& bytes, size_t& length) {
    const size_t read = read_.load(std::memory_order_relaxed);
    if (read == write_.load(std::memory_order_acquire)) return false;
    uint8_t head[kHeader];
    CopyOut(read, head, kHeader);
    uint32_t header = 0;
    std::memcpy(&header, head, kHeader);
    kind = static_cast<Kind>(header & 0xFF);
    length = header >> 8;
    if (frontSize_ == 0 && length > 0) CopyOut(read + kHeader, front_.get(), length);
    frontSize_ = kHeader + length;
    bytes = front_.get();
    return true;
}

void OutputRing::PopFront() {
    if (frontSize_ == 0) return;
    read_.store(read_.load(std::memory_order_relaxed) + frontSize_, std::memory_order_release);
    frontSize_ = 0;
}

void OutputRing::Clear() {
    std::lock_guard<std::mutex> lock(producers_);
    read_.store(write_.load(std::memory_order_acquire), std::memory_order_release);
    frontSize_ = 0;
}

}  // namespace ostrel
