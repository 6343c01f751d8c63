#pragma once
// The measuring clients of the latency bench: a player that plays a stream of
// sequence-numbered messages at a given rate, and a listener that records the
// frame at which each one arrives on "direct" and on "thru".
#include <jack/jack.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace ostrel::bench {

constexpr uint32_t kNotArrived = 0xFFFFFFFF;
constexpr uint32_t kMaxMessages = 1u << 18;  // sequence numbers 4 + 7 + 7 bits wide
constexpr uint8_t kProbe = 0xF6;             // tune request: passed unchanged, not part of a stream

enum Path { kDirect, kThru, kPaths };

// What one input port saw of the current stream: written by the process
// callback while a stream runs, read by the main thread once it has stopped.
struct Arrivals {
    // Arrival frame by sequence number.
    std::vector<uint32_t> frame = std::vector<uint32_t>(kMaxMessages, kNotArrived);
    uint64_t duplicates = 0;  // a sequence number seen twice
    uint64_t foreign = 0;     // anything but the stream's messages and probes
    uint64_t outOfOrder = 0;  // a lower sequence number after a higher one
    uint32_t last = 0;
    bool any = false;
    std::atomic<bool> probeSeen{false};
};

// A JACK client of the bench: opened, its ports registered, activated; counts
// its cycles.
class BenchClient {
  public:
    BenchClient(const std::string& name, JackProcessCallback process, void* arg,
                const std::vector<std::pair<const char*, unsigned long>>& ports);
    ~BenchClient();
    BenchClient(const BenchClient&) = delete;
    BenchClient& operator=(const BenchClient&) = delete;

    bool ok() const { return client_ != nullptr; }
    jack_client_t* handle() const { return client_; }
    jack_port_t* port(size_t i) const { return ports_[i]; }
    std::string Port(const char* shortName) const {
        return std::string(jack_get_client_name(client_)) + ":" + shortName;
    }
    // Called at the end of each process callback.
    void CycleDone() { cycles_.fetch_add(1, std::memory_order_release); }
    uint64_t Cycles() const { return cycles_.load(std::memory_order_acquire); }
    uint64_t Xruns() const { return xruns_.load(); }

  private:
    void Close();
    jack_client_t* client_ = nullptr;
    std::vector<jack_port_t*> ports_;
    std::atomic<uint64_t> cycles_{0}, xruns_{0};
};

// The measuring pair: a player ("out", the keyboard) and a listener ("direct"
// and "thru", the synth). Two clients, so that the graph runs the player
// first, then Ostrel, then the listener: a message can arrive in the cycle in
// which it was played.
class LatencyRig {
  public:
    explicit LatencyRig(const std::string& stem);

    bool ok() const { return player_.ok() && listener_.ok(); }
    jack_client_t* handle() const { return player_.handle(); }
    std::string Out() const { return player_.Port("out"); }
    std::string In(Path path) const { return listener_.Port(path == kDirect ? "direct" : "thru"); }
    uint32_t SampleRate() const { return jack_get_sample_rate(player_.handle()); }
    uint32_t Period() const { return jack_get_buffer_size(player_.handle()); }
    uint64_t Xruns() const { return player_.Xruns(); }
    uint64_t Played() const { return next_.load(std::memory_order_acquire); }

    // Plays count messages at rate a second, from the next cycle on.
    void StartStream(uint32_t rate, uint32_t count);
    // Stops playing and recording; after it returns no cycle touches the
    // stream's records.
    void StopStream();
    // Waits until both clients have run n more cycles.
    bool WaitCycles(uint64_t n);
    void SendProbe() { probe_.store(true, std::memory_order_release); }
    bool ProbeSeen(Path path) { return arrivals_[path].probeSeen.exchange(false); }

    // A scene switch: plays a program change at this frame offset of the next
    // cycle, then knob 1 (B0 4A 00) on every later frame of that cycle and on
    // the first frame of each cycle after, until thru receives it translated to
    // control cc. The frames from the program change to that arrival; -1 when
    // none came within 20 cycles.
    int64_t SwitchScene(uint8_t program, uint32_t offset, uint8_t cc);

    const std::vector<uint32_t>& PlayedFrames() const { return played_; }
    const Arrivals& Received(Path path) const { return arrivals_[path]; }

  private:
    static int PlayCycle(jack_nframes_t frames, void* arg);
    static int ListenCycle(jack_nframes_t frames, void* arg);
    void Record(Path path, jack_nframes_t frames);
    void Play(jack_nframes_t frames);
    void PlaySwitch(void* buffer, jack_nframes_t frames, uint32_t start);

    std::atomic<bool> streaming_{false}, probe_{false};
    std::atomic<uint32_t> next_{0};
    // A scene switch: asked for, its program change played, its new scene seen.
    enum SwitchState : int { kNoSwitch, kAsked, kPlayed, kSeen };
    std::atomic<int> switch_{kNoSwitch};
    uint8_t program_ = 0, wantedCc_ = 0;  // set by the main thread before kAsked
    uint32_t offset_ = 0;
    uint32_t triggerFrame_ = 0, switchArrival_ = 0;  // by the callbacks, read after kSeen
    // Set by the main thread before a stream starts, read by the callbacks.
    uint32_t rate_ = 1, count_ = 0;
    // Player callback only, while a stream runs.
    bool started_ = false;
    uint32_t base_ = 0;
    std::vector<uint32_t> played_ = std::vector<uint32_t>(kMaxMessages, kNotArrived);
    Arrivals arrivals_[kPaths];
    // Last: their callbacks start once all of the above exists, and stop
    // before it goes.
    BenchClient player_, listener_;
};

}  // namespace ostrel::bench
