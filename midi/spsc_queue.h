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

    // Producer: the slot the next record is filled in, or null when the queue
    // is full. The consumer's progress is looked at only when the slots known
    // free have run out, so a producer rarely touches the consumer's line.
    T* NextFree() {
        Producer& p = producer_;
        if (p.count - p.headSeen == capacity_) {
            p.headSeen = head_.load(std::memory_order_acquire);
            if (p.count - p.headSeen == capacity_) return nullptr;
        }
        return &slots_[p.slot];
    }
    // Producer: makes the record filled in NextFree() visible to the consumer.
    void Commit() {
        Stage();
        Publish();
    }
    // Producer: the record filled in NextFree() is queued but stays unseen
    // until Publish(), which shows every record staged before it at once (one
    // release store for a whole cycle's records).
    void Stage() {
        Producer& p = producer_;
        if (++p.slot == capacity_) p.slot = 0;
        ++p.count;
    }
    void Publish() {
        // Nothing staged since the last: the consumer's cache line stays as it is.
        // The producer is tail_'s only writer: its own last store reads back.
        if (tail_.load(std::memory_order_relaxed) == producer_.count) return;
        tail_.store(producer_.count, std::memory_order_release);
    }

    // Producer: copies the record in; false (nothing changed) when full.
    bool TryPush(const T& record) {
        T* slot = NextFree();
        if (slot == nullptr) return false;
        *slot = record;
        Commit();
        return true;
    }

    // Consumer: the oldest record, or null when empty.
    T* Front() {
        Consumer& c = consumer_;
        if (c.count == c.tailSeen) {
            c.tailSeen = tail_.load(std::memory_order_acquire);
            if (c.count == c.tailSeen) return nullptr;
        }
        return &slots_[c.slot];
    }
    // Consumer: releases the record returned by Front().
    void PopFront() {
        Consumer& c = consumer_;
        if (++c.slot == capacity_) c.slot = 0;
        head_.store(++c.count, std::memory_order_release);
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
    // Each side counts the records it has passed since construction and keeps
    // the slot that count points at (no division per record), and the other
    // side's count as last seen. Head and tail, with each side's own state,
    // live on separate cache lines so that the two sides do not slow each
    // other down.
    struct Producer {
        size_t count = 0, slot = 0, headSeen = 0;
    };
    struct Consumer {
        size_t count = 0, slot = 0, tailSeen = 0;
    };
    const size_t capacity_;
    std::unique_ptr<T[]> slots_;
    alignas(64) std::atomic<size_t> head_{0};
    Consumer consumer_;
    alignas(64) std::atomic<size_t> tail_{0};
    Producer producer_;
};

}  // namespace ostrel
