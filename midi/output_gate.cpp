#include "midi/output_gate.h"

#include <algorithm>
#include <cstring>
#include <thread>

namespace ostrel {

OutputGate::OutputGate(size_t deferredBytes)
    : deferred_(std::max<size_t>(1, deferredBytes / kChunkBytes)),
      joined_(new uint8_t[deferred_.Capacity() * kChunkBytes]),
      joinedSize_(deferred_.Capacity() * kChunkBytes) {}

OutputGate::~OutputGate() = default;

void OutputGate::SendShortFromMidi(uint32_t packed) {
    uint8_t bytes[4];
    std::memcpy(bytes, &packed, sizeof bytes);
    if (TryTake()) {
        SendDeferred();
        Deliver(true, bytes, sizeof bytes);
        busy_.store(false, std::memory_order_seq_cst);
        return;
    }
    Defer(true, bytes, sizeof bytes);
}

void OutputGate::SendLongFromMidi(const uint8_t* bytes, size_t length) {
    if (TryTake()) {
        SendDeferred();
        Deliver(false, bytes, length);
        busy_.store(false, std::memory_order_seq_cst);
        return;
    }
    Defer(false, bytes, length);
}

void OutputGate::SendLongFromOtherThread(const uint8_t* bytes, size_t length) {
    TakeWaiting();
    SendDeferred();
    Deliver(false, bytes, length);
    ReleaseAndRecheck();
}

std::unique_ptr<MidiOutputPort> OutputGate::Exchange(std::unique_ptr<MidiOutputPort> port) {
    TakeWaiting();
    SendDeferred();
    std::unique_ptr<MidiOutputPort> old = std::move(port_);
    port_ = std::move(port);
    hasPort_.store(port_ != nullptr, std::memory_order_release);
    ReleaseAndRecheck();
    return old;
}

void OutputGate::TakeWaiting() {
    // The MIDI thread keeps the token for one send only.
    while (!TryTake()) std::this_thread::yield();
}

void OutputGate::ReleaseAndRecheck() {
    for (;;) {
        busy_.store(false, std::memory_order_seq_cst);
        // The MIDI thread queues a message, then tries for the token; we let go,
        // then look at the queue. Both meet at the handshake in between, so one
        // of us sees the other: a queued message never stays without a sender.
        Handshake();
        if (deferred_.Empty()) return;
        if (!TryTake()) return;  // the MIDI thread has it and sends the queue first
        SendDeferred();
    }
}

void OutputGate::Defer(bool isShort, const uint8_t* bytes, size_t length) {
    const size_t chunks = std::max<size_t>(1, (length + kChunkBytes - 1) / kChunkBytes);
    if (chunks > deferred_.FreeSlots()) {
        dropped_.fetch_add(1, std::memory_order_relaxed);
    } else {
        for (size_t k = 0; k < chunks; ++k) {
            Chunk& chunk = deferred_.SlotAhead(k);
            const size_t offset = k * kChunkBytes;
            chunk.length = static_cast<uint32_t>(std::min(kChunkBytes, length - offset));
            chunk.isShort = isShort;
            chunk.last = k + 1 == chunks;
            std::memcpy(chunk.bytes, bytes + offset, chunk.length);
        }
        deferred_.Commit(chunks);
    }
    // The holder may have looked at the queue before our message arrived and be
    // letting go right now: take over if the token is free.
    Handshake();
    if (TryTake()) {
        SendDeferred();
        busy_.store(false, std::memory_order_seq_cst);
    }
}

void OutputGate::SendDeferred() {
    size_t joined = 0;
    while (Chunk* chunk = deferred_.Front()) {
        if (joined + chunk->length <= joinedSize_) {
            std::memcpy(joined_.get() + joined, chunk->bytes, chunk->length);
            joined += chunk->length;
        }
        const bool last = chunk->last;
        const bool isShort = chunk->isShort;
        deferred_.PopFront();
        if (last) {
            Deliver(isShort, joined_.get(), joined);
            joined = 0;
        }
    }
}

void OutputGate::Deliver(bool isShort, const uint8_t* bytes, size_t length) {
    if (!port_) return;
    if (isShort) {
        uint32_t packed = 0;
        std::memcpy(&packed, bytes, std::min(length, sizeof packed));
        port_->SendShort(packed);
    } else {
        port_->SendLong(bytes, length);
    }
}

}  // namespace ostrel
