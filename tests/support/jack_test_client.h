#pragma once
// A JACK client for end-to-end tests, written with libjack directly: one MIDI
// input port "in" that records what arrives and one MIDI output port "out" that
// plays queued messages, a limited number per cycle, as a cable or a keyboard
// would deliver them. Both directions pass through lock-free ring buffers, so the
// process callback neither allocates nor waits.
#include <jack/jack.h>
#include <jack/ringbuffer.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

namespace ostrel::test {

using Bytes = std::vector<uint8_t>;

// Generous bound of every wait on the JACK graph: two cores shared with other
// test processes.
inline constexpr std::chrono::milliseconds kJackWait{60000};

// ThreadSanitizer slows every JACK client of an instrumented process so much
// that it misses its cycles (the server reports xruns) and JACK drops what it
// carried: tests that need every message of a burst or of a one-shot process
// cannot hold then.
#if defined(__SANITIZE_THREAD__)
inline constexpr bool kSlowedBySanitizer = true;
#else
inline constexpr bool kSlowedBySanitizer = false;
#endif

// Why a JACK test skips when JackServerGiven() is false.
inline constexpr const char* kNoJackServer =
    "JACK_DEFAULT_SERVER is not set: run under scripts/with-jack.sh";

// True when the tests run beside a private JACK server (scripts/with-jack.sh).
bool JackServerGiven();

// True on PipeWire's JACK server (scripts/with-pipewire.sh), whose libjack joins
// PipeWire whatever the server name: no test there can name a server that is
// not running, nor run a jackd of its own.
bool OnPipeWire();
inline constexpr const char* kNotOnPipeWire =
    "PipeWire's libjack joins PipeWire whatever the server name";

// The full name of an audio port of the graph (jackd's dummy driver has
// system:playback_1), or empty when there is none (PipeWire without a card).
std::string AnyAudioPort();

// A name no other test process, and no other call in this one, uses.
std::string UniqueName(const std::string& stem);

// Position of name in a device list, or -1.
int IndexOf(const std::vector<std::string>& names, const std::string& name);

// True when there is exactly one connection and its port name starts with
// prefix and ends with suffix.
bool ConnectedOnlyTo(const std::vector<std::string>& connections, const std::string& prefix,
                     const std::string& suffix);

class JackTestClient {
  public:
    // server: the JACK server to join, empty for the default one.
    explicit JackTestClient(const std::string& name, const std::string& server = "");
    ~JackTestClient();
    JackTestClient(const JackTestClient&) = delete;
    JackTestClient& operator=(const JackTestClient&) = delete;

    // False when no JACK server could be reached.
    bool ok() const { return client_ != nullptr; }
    std::string InPort() const;   // "name:in"
    std::string OutPort() const;  // "name:out"
    // Full names of the ports connected to our "in" / "out".
    std::vector<std::string> InConnections() const;
    std::vector<std::string> OutConnections() const;

    // Messages written to "out" per cycle, at most (64 unless set).
    void SetMessagesPerCycle(int count) { perCycle_.store(count); }
    // Frames per cycle and frames per second of the server.
    uint32_t Period() const;
    uint32_t Rate() const;
    // Connects two ports by full name, as a patchbay does.
    bool ConnectPorts(const std::string& source, const std::string& destination);
    bool DisconnectPorts(const std::string& source, const std::string& destination);

    // Queues one message for "out", waiting while the queue is full; false when
    // the client is not connected, the message cannot be sent or the timeout
    // passed. One sending thread at a time.
    bool Send(const Bytes& message, std::chrono::milliseconds timeout = kJackWait) {
        return Queue(message, kAnyFrame, timeout);
    }
    // Queues one message to be written at this frame offset of its cycle (a
    // cycle of its own when earlier messages wait).
    bool SendAt(const Bytes& message, uint32_t frame);
    // Queues every message in order, all within the timeout.
    bool SendAll(const std::vector<Bytes>& messages, std::chrono::milliseconds timeout = kJackWait);
    // Waits until every queued message has been written to "out" and three more
    // cycles have begun, so that everything downstream in the graph has handled
    // them.
    bool WaitUntilPlayed(std::chrono::milliseconds timeout = kJackWait);

    // Everything received at "in" so far, in arrival order.
    std::vector<Bytes> Received();
    // The frame (counted from the server's start) at which each received
    // message arrived, and at which each message was written to "out".
    std::vector<uint32_t> ReceivedFrames();
    std::vector<uint32_t> PlayedFrames();
    // Waits until at least count messages were received, or the timeout passes.
    bool WaitForCount(size_t count, std::chrono::milliseconds timeout = kJackWait);
    void ClearReceived();

    // Messages that arrived while the receive queue was full.
    uint64_t Lost() const { return lost_.load(); }
    uint64_t Cycles() const { return cycles_.load(); }
    // Cycles the server reported missed by some client (xruns), and cycles
    // this client saw skipped: what those cycles carried between clients is
    // gone, whoever sent it.
    uint64_t Xruns() const { return xruns_.load(); }
    uint64_t Written() const { return written_.load(); }
    // The largest event that "out" carries (its whole buffer), and the most
    // messages written to "out" in one cycle so far.
    size_t LargestEvent() const { return largest_.load(); }
    uint64_t MostPerCycle() const { return mostPerCycle_.load(); }

  private:
    static constexpr uint32_t kAnyFrame = 0xFFFFFFFF;
    bool Queue(const Bytes& message, uint32_t frame, std::chrono::milliseconds timeout);
    static int Process(jack_nframes_t frames, void* self);
    static int Xrun(void* self);
    void Play(jack_nframes_t frames);
    void Record(jack_nframes_t frames);
    void Drain();
    std::vector<std::string> Connections(jack_port_t* port) const;

    jack_client_t* client_ = nullptr;
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    jack_ringbuffer_t* toSend_ = nullptr;
    jack_ringbuffer_t* received_ = nullptr;
    jack_ringbuffer_t* played_ = nullptr;  // frames at which messages were written
    std::atomic<int> perCycle_{64};
    std::atomic<uint64_t> queued_{0}, written_{0}, cycles_{0}, lost_{0}, xruns_{0};
    std::atomic<uint64_t> mostPerCycle_{0};
    std::atomic<size_t> largest_{0};
    jack_nframes_t nextStart_ = 0;  // the process thread's own
    std::mutex mutex_;
    std::vector<Bytes> inbox_;
    std::vector<uint32_t> inboxFrames_, playedFrames_;
};

}  // namespace ostrel::test
