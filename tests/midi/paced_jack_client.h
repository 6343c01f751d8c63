#pragma once
// A JACK client of the MIDI tests, written with libjack directly: a "source"
// port that plays queued messages (a limited number per cycle, as a cable or a
// keyboard would deliver them) and a "sink" port that records what arrives.
// Header-only so that every JACK test file can use it.
#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

namespace ostrel::miditest {

using Bytes = std::vector<uint8_t>;

// ThreadSanitizer slows every JACK client of an instrumented process so much
// that it misses its cycles (the server reports xruns) and JACK drops what it
// carried: tests that need every message of a burst or of a one-shot process
// cannot hold then.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kSlowedBySanitizer = true;
#else
inline constexpr bool kSlowedBySanitizer = false;
#endif

// True when the tests run beside a private JACK server (scripts/with-jack.sh).
inline bool JackServerGiven() {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    return server != nullptr && *server != '\0';
}

// A name no other test process uses at the same time.
inline std::string UniqueName(const char* stem) {
    static std::atomic<int> counter{0};
    return std::string(stem) + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

class PacedJackClient {
  public:
    explicit PacedJackClient(const std::string& name) {
        client_ = jack_client_open(name.c_str(), JackNoStartServer, nullptr);
        if (client_ == nullptr) return;
        name_ = jack_get_client_name(client_);
        source_ =
            jack_port_register(client_, "source", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
        sink_ = jack_port_register(client_, "sink", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
        outgoing_ = jack_ringbuffer_create(4 << 20);
        incoming_ = jack_ringbuffer_create(8 << 20);
        if (source_ == nullptr || sink_ == nullptr) return;
        jack_set_process_callback(client_, &PacedJackClient::Process, this);
        active_ = jack_activate(client_) == 0;
    }
    ~PacedJackClient() {
        if (client_ != nullptr) jack_client_close(client_);  // waits for the process thread
        if (outgoing_ != nullptr) jack_ringbuffer_free(outgoing_);
        if (incoming_ != nullptr) jack_ringbuffer_free(incoming_);
    }
    PacedJackClient(const PacedJackClient&) = delete;
    PacedJackClient& operator=(const PacedJackClient&) = delete;

    bool Ok() const { return active_; }
    std::string SourceName() const { return name_ + ":source"; }
    std::string SinkName() const { return name_ + ":sink"; }
    jack_port_t* Source() const { return source_; }
    jack_port_t* Sink() const { return sink_; }
    jack_client_t* Client() const { return client_; }

    // Messages written to the source port per cycle, at most.
    void SetMessagesPerCycle(int count) { perCycle_.store(count); }

    // Queues one message for the source port (waits while the queue is full).
    void Send(const Bytes& message) {
        const uint32_t length = static_cast<uint32_t>(message.size());
        while (jack_ringbuffer_write_space(outgoing_) < sizeof length + length)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        jack_ringbuffer_write(outgoing_, reinterpret_cast<const char*>(&length), sizeof length);
        jack_ringbuffer_write(outgoing_, reinterpret_cast<const char*>(message.data()), length);
        queued_.fetch_add(1);
    }

    // Waits (bounded) until every queued message has been written to the source
    // port and two more cycles have passed, so that everything downstream in the
    // graph has handled them.
    bool WaitUntilPlayed(std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        while (written_.load() < queued_.load())
            if (!Pause(deadline)) return false;
        const uint64_t cycle = cycles_.load();
        while (cycles_.load() < cycle + 3)
            if (!Pause(deadline)) return false;
        return true;
    }

    // Waits (bounded) until at least count messages have arrived at the sink.
    bool WaitForReceived(size_t count, std::chrono::milliseconds timeout) {
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        for (;;) {
            Collect();
            if (received_.size() >= count) return true;
            if (!Pause(deadline)) return false;
        }
    }

    // Everything that arrived so far, in order.
    const std::vector<Bytes>& Received() {
        Collect();
        return received_;
    }
    void ClearReceived() {
        Collect();
        received_.clear();
    }
    uint64_t Lost() const { return lost_.load(); }
    uint64_t Cycles() const { return cycles_.load(); }
    uint64_t Written() const { return written_.load(); }

    // Names of the ports connected to one of ours.
    std::vector<std::string> Connections(jack_port_t* port) const {
        std::vector<std::string> names;
        if (const char** list = jack_port_get_all_connections(client_, port)) {
            for (const char** p = list; *p != nullptr; ++p) names.push_back(*p);
            jack_free(list);
        }
        return names;
    }

  private:
    static bool Pause(std::chrono::steady_clock::time_point deadline) {
        if (std::chrono::steady_clock::now() >= deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
        return true;
    }

    void Collect() {
        uint32_t length = 0;
        while (jack_ringbuffer_peek(incoming_, reinterpret_cast<char*>(&length), sizeof length) ==
                   sizeof length &&
               jack_ringbuffer_read_space(incoming_) >= sizeof length + length) {
            jack_ringbuffer_read_advance(incoming_, sizeof length);
            Bytes message(length);
            jack_ringbuffer_read(incoming_, reinterpret_cast<char*>(message.data()), length);
            received_.push_back(std::move(message));
        }
    }

    static int Process(jack_nframes_t frames, void* arg) {
        auto* self = static_cast<PacedJackClient*>(arg);
        void* out = jack_port_get_buffer(self->source_, frames);
        jack_midi_clear_buffer(out);
        const int perCycle = self->perCycle_.load();
        uint32_t length = 0;
        for (int n = 0; n < perCycle; ++n) {
            if (jack_ringbuffer_peek(self->outgoing_, reinterpret_cast<char*>(&length),
                                     sizeof length) != sizeof length ||
                jack_ringbuffer_read_space(self->outgoing_) < sizeof length + length)
                break;
            jack_midi_data_t* data = jack_midi_event_reserve(out, 0, length);
            if (data == nullptr) break;  // the port buffer is full: next cycle
            jack_ringbuffer_read_advance(self->outgoing_, sizeof length);
            jack_ringbuffer_read(self->outgoing_, reinterpret_cast<char*>(data), length);
            self->written_.fetch_add(1);
        }
        void* in = jack_port_get_buffer(self->sink_, frames);
        const uint32_t count = jack_midi_get_event_count(in);
        for (uint32_t i = 0; i < count; ++i) {
            jack_midi_event_t event;
            if (jack_midi_event_get(&event, in, i) != 0) continue;
            const uint32_t size = static_cast<uint32_t>(event.size);
            if (jack_ringbuffer_write_space(self->incoming_) < sizeof size + size) {
                self->lost_.fetch_add(1);
                continue;
            }
            jack_ringbuffer_write(self->incoming_, reinterpret_cast<const char*>(&size),
                                  sizeof size);
            jack_ringbuffer_write(self->incoming_, reinterpret_cast<const char*>(event.buffer),
                                  size);
        }
        self->cycles_.fetch_add(1);
        return 0;
    }

    jack_client_t* client_ = nullptr;
    jack_port_t* source_ = nullptr;
    jack_port_t* sink_ = nullptr;
    jack_ringbuffer_t* outgoing_ = nullptr;
    jack_ringbuffer_t* incoming_ = nullptr;
    std::string name_;
    bool active_ = false;
    std::atomic<int> perCycle_{64};
    std::atomic<uint64_t> queued_{0}, written_{0}, cycles_{0}, lost_{0};
    std::vector<Bytes> received_;
};

// Position of name in a device list, or -1.
inline int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

// True when every connection of port goes to a port whose name starts with
// prefix and ends with suffix, and there is exactly one.
inline bool ConnectedOnlyTo(const PacedJackClient& client, jack_port_t* port,
                            const std::string& prefix, const std::string& suffix) {
    const std::vector<std::string> names = client.Connections(port);
    if (names.size() != 1) return false;
    const std::string& n = names[0];
    return n.rfind(prefix, 0) == 0 && n.size() >= suffix.size() &&
           n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0;
}

}  // namespace ostrel::miditest
