#pragma once
// A bounded single-producer/single-consumer queue of fixed-size records, all
// allocated at construction. Neither side ever waits or allocates: a full queue
// refuses the record and the producer decides what to do (count it as dropped).
// Records are filled and read in place, so a large record is copied only once.
//
// One thread produces and one consumes at any moment. The consumer may change
// from thread to thread when the hand-over is itself synchronised (the ALSA
// system passes the consumer role with its processor's token).
#include <atomic>
#include <cstddef>
#include <memory>

namespace ostrel {

template <typename T>
class SpscQueue {
  public:
    explicit SpscQueue(size_t capacity)
        : capacity_(capacity == 0 ? 1 : capacity), slots_(new T[capacity_]) {}
    SpscQueue(const SpscQueue&) = delete;
    SpscQueue& operator=(const SpscQueue&) = delete;

    // Producer: free slots right now (more may appear as the consumer reads).
    size_t FreeSlots() const {
        return capacity_ -
               (tail_.load(std::memory_order_relaxed) - head_.load(std::memory_order_acquire));
    }
    // Producer: the k-th free slot from the end of the queue (k < FreeSlots()).
    T& SlotAhead(size_t k) {
        return slots_[(tail_.load(std::memory_order_relaxed) + k) % capacity_];
    }
    // Producer: makes the next n filled slots visible to the consumer, in order.
    void Commit(size_t n) {
        tail_.store(tail_.load(std::memory_order_relaxed) + n, std::memory_order_release);
    }

    // Producer: copies the record in; false (nothing changed) when full.
    bool TryPush(const T& record) {
        if (FreeSlots() == 0) return false;
        SlotAhead(0) = record;
        Commit(1);
        return true;
    }

    // Consumer: the oldest record, or null when empty.
    T* Front() {
        const size_t head = head_.load(std::memory_order_relaxed);
        if (head == tail_.load(std::memory_order_acquire)) return nullptr;
        return &slots_[head % capacity_];
    }
    // Consumer: releases the record returned by Front().
    void PopFront() {
        head_.store(head_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // Consumer: copies the oldest record out; false when empty.
    bool TryPop(T& out) {
        T* front = Front();
        if (front == nullptr) return false;
        out = *front;
        PopFront();
        return true;
    }

    // Either side: whether the queue held no record at the moment of the call.
    bool Empty() const {
        return head_.load(std::memory_order_acquire) == tail_.load(std::memory_order_acquire);
    }

  private:
    // Head and tail count records since construction; they live on separate cache
    // lines so that producer and consumer do not slow each other down.
    const size_t capacity_;
    std::unique_ptr<T[]> slots_;
    alignas(64) std::atomic<size_t> head_{0};
    alignas(64) std::atomic<size_t> tail_{0};
};

}  // namespace ostrel
