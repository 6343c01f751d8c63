#pragma once
// A JACK client for end-to-end tests: one MIDI input port "in" and one MIDI
// output port "out". Messages to send are handed to the process callback through
// a ring buffer; received messages come back the same way, in arrival order.
#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ostrel::test {

using Bytes = std::vector<uint8_t>;

class JackTestClient {
public:
    explicit JackTestClient(const std::string& name);
    ~JackTestClient();
    JackTestClient(const JackTestClient&) = delete;
    JackTestClient& operator=(const JackTestClient&) = delete;

    // False when no JACK server could be reached.
    bool ok() const { return client_ != nullptr; }
    std::string InPort() const;   // "name:in"
    std::string OutPort() const;  // "name:out"

    // Connects two ports by full name; true when connected (or already were).
    bool Connect(const std::string& source, const std::string& destination);
    // Full names of the MIDI ports with the given JackPortFlags (JackPortIsInput...).
    std::vector<std::string> MidiPorts(unsigned long flags) const;

    // Queues one message; false when the ring buffer is full (wait and retry).
    bool Send(const Bytes& message);
    // Sends every message, waiting while the ring buffer is full (bounded by timeout).
    bool SendAll(const std::vector<Bytes>& messages,
                 std::chrono::milliseconds timeout = std::chrono::seconds(30));

    // Everything received so far.
    std::vector<Bytes> Received();
    // Waits until at least count messages were received, or the timeout passes.
    bool WaitForCount(size_t count, std::chrono::milliseconds timeout = std::chrono::seconds(10));
    void ClearReceived();

private:
    static int Process(jack_nframes_t frames, void* self);
    void Drain();

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_ringbuffer_t* toSend_ = nullptr;
    jack_ringbuffer_t* received_ = nullptr;
    std::mutex mutex_;
    std::vector<Bytes> inbox_;
};

}  // namespace ostrel::test
