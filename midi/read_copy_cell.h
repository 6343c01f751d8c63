#pragma once
// One value that the MIDI thread reads for a whole cycle while another thread
// replaces it: read, copy, update. The publisher builds a complete new value
// and publishes it with one release store; the MIDI thread takes the value in
// force with one acquire load when its cycle begins, and reads it, unchanged,
// until the cycle ends. A value set aside is freed, on the publisher's thread,
// once every cycle begun before it was set aside has ended.
//
// Threads: Enter and Leave on the MIDI thread (no allocation, no lock, no
// system call); Publish, Latest and Reclaim on one publishing thread; the
// counts from any thread.
#include <atomic>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

namespace ostrel {

template <typename T>
class ReadCopyCell {
  public:
    explicit ReadCopyCell(std::unique_ptr<const T> first)
        : latest_(std::move(first)), published_(latest_.get()) {}
    ReadCopyCell(const ReadCopyCell&) = delete;
    ReadCopyCell& operator=(const ReadCopyCell&) = delete;

    // MIDI thread, at the start of a cycle: the value in force for the cycle.
    const T& Enter() {
        // An update, so that it is ordered with the publisher's count in
        // Publish: a cycle that the publisher does not count takes the new value.
        begun_.fetch_add(1, std::memory_order_acq_rel);
        return *published_.load(std::memory_order_acquire);
    }
    // MIDI thread, once the cycle reads the value no more.
    void Leave() {
        ended_.store(ended_.load(std::memory_order_relaxed) + 1, std::memory_order_release);
    }

    // Publisher: next in force from the next cycle on. Returns the count of
    // cycles begun before it: a cycle past that count reads next.
    uint64_t Publish(std::unique_ptr<const T> next) {
        published_.store(next.get(), std::memory_order_release);
        const uint64_t begun = begun_.fetch_add(0, std::memory_order_acq_rel);
        setAside_.push_back({begun, std::exchange(latest_, std::move(next))});
        Reclaim();
        return begun;
    }
    // Publisher: the value last published.
    const T& Latest() const { return *latest_; }
    // Publisher: frees what no cycle reads any more (Publish does it too).
    void Reclaim() {
        std::erase_if(setAside_, [this](const Waiting& s) { return Ended() >= s.readUntil; });
    }
    // Values set aside and not yet freed: a stalled cycle may read one.
    size_t SetAside() const { return setAside_.size(); }

    uint64_t Begun() const { return begun_.load(std::memory_order_acquire); }
    uint64_t Ended() const { return ended_.load(std::memory_order_acquire); }
    // Only while no MIDI thread runs (its graph went away): every cycle begun
    // has ended, whether or not it said so.
    void ForgetCycles() { ended_.store(Begun(), std::memory_order_release); }

  private:
    struct Waiting {
        uint64_t readUntil = 0;  // read by no cycle once this many have ended
        std::unique_ptr<const T> value;
    };
    std::unique_ptr<const T> latest_;  // publisher
    std::vector<Waiting> setAside_;    // publisher
    std::atomic<const T*> published_;
    std::atomic<uint64_t> begun_{0};
    std::atomic<uint64_t> ended_{0};
};

}  // namespace ostrel
