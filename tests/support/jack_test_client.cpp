#include "support/jack_test_client.h"

#include <jack/midiport.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <thread>

namespace ostrel::test {
namespace {

constexpr size_t kRingSize = 1 << 22;
constexpr size_t kMaxMessage = 1 << 16;

using Clock = std::chrono::steady_clock;

// One short sleep of a bounded wait; false once the deadline has passed.
bool Pause(Clock::time_point deadline) {
    if (Clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return true;
}

}  // namespace

bool JackServerGiven() {
    const char* server = std::getenv("JACK_DEFAULT_SERVER");
    return server != nullptr && *server != '\0';
}

bool OnPipeWire() { return std::getenv("OSTREL_ON_PIPEWIRE") != nullptr; }

std::string AnyAudioPort() {
    jack_client_t* client =
        jack_client_open(UniqueName("look").c_str(), JackNoStartServer, nullptr);
    if (client == nullptr) return "";
    std::string port;
    if (const char** ports = jack_get_ports(client, nullptr, JACK_DEFAULT_AUDIO_TYPE, 0)) {
        if (ports[0] != nullptr) port = ports[0];
        jack_free(ports);
    }
    jack_client_close(client);
    return port;
}

std::string UniqueName(const std::string& stem) {
    static std::atomic<int> counter{0};
    return stem + "-" + std::to_string(getpid()) + "-" + std::to_string(++counter);
}

int IndexOf(const std::vector<std::string>& names, const std::string& name) {
    for (size_t i = 0; i < names.size(); ++i)
        if (names[i] == name) return static_cast<int>(i);
    return -1;
}

bool ConnectedOnlyTo(const std::vector<std::string>& connections, const std::string& prefix,
                     const std::string& suffix) {
    if (connections.size() != 1) return false;
    const std::string& n = connections[0];
    return n.rfind(prefix, 0) == 0 && n.size() >= suffix.size() &&
           n.compare(n.size() - suffix.size(), suffix.size(), suffix) == 0;
}

JackTestClient::JackTestClient(const std::string& name, const std::string& server) {
    client_ = server.empty() ? jack_client_open(name.c_str(), JackNoStartServer, nullptr)
                             : jack_client_open(
                                   name.c_str(),
                                   static_cast<jack_options_t>(JackNoStartServer | JackServerName),
                                   nullptr, server.c_str());
    if (!client_) return;
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    toSend_ = jack_ringbuffer_create(kRingSize);
    received_ = jack_ringbuffer_create(kRingSize);
    played_ = jack_ringbuffer_create(kRingSize);
    jack_set_process_callback(client_, &JackTestClient::Process, this);
    jack_set_xrun_callback(client_, &JackTestClient::Xrun, this);
    if (!in_ || !out_ || !toSend_ || !received_ || jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackTestClient::~JackTestClient() {
    if (client_) {
        jack_deactivate(client_);  // waits for the process thread
        jack_client_close(client_);
    }
    if (toSend_) jack_ringbuffer_free(toSend_);
    if (received_) jack_ringbuffer_free(received_);
    if (played_) jack_ringbuffer_free(played_);
}

std::string JackTestClient::InPort() const { return client_ ? jack_port_name(in_) : ""; }
std::string JackTestClient::OutPort() const { return client_ ? jack_port_name(out_) : ""; }

std::vector<std::string> JackTestClient::InConnections() const { return Connections(in_); }
std::vector<std::string> JackTestClient::OutConnections() const { return Connections(out_); }

std::vector<std::string> JackTestClient::Connections(jack_port_t* port) const {
    std::vector<std::string> names;
    if (!client_) return names;
    if (const char** list = jack_port_get_all_connections(client_, port)) {
        for (const char** p = list; *p != nullptr; ++p) names.emplace_back(*p);
        jack_free(list);
    }
    return names;
}

uint32_t JackTestClient::Period() const { return client_ ? jack_get_buffer_size(client_) : 0; }
uint32_t JackTestClient::Rate() const { return client_ ? jack_get_sample_rate(client_) : 0; }

bool JackTestClient::ConnectPorts(const std::string& source, const std::string& destination) {
    return client_ && jack_connect(client_, source.c_str(), destination.c_str()) == 0;
}

bool JackTestClient::DisconnectPorts(const std::string& source, const std::string& destination) {
    return client_ && jack_disconnect(client_, source.c_str(), destination.c_str()) == 0;
}

bool JackTestClient::SendAt(const Bytes& message, uint32_t frame) {
    return Queue(message, frame, kJackWait);
}

bool JackTestClient::Queue(const Bytes& message, uint32_t frame,
                           std::chrono::milliseconds timeout) {
    if (!client_ || message.empty() || message.size() > kMaxMessage) return false;
    const auto deadline = Clock::now() + timeout;
    const uint32_t header[2] = {static_cast<uint32_t>(message.size()), frame};
    const uint32_t n = header[0];
    while (jack_ringbuffer_write_space(toSend_) < sizeof header + n)
        if (!Pause(deadline)) return false;
    jack_ringbuffer_write(toSend_, reinterpret_cast<const char*>(header), sizeof header);
    jack_ringbuffer_write(toSend_, reinterpret_cast<const char*>(message.data()), n);
    queued_.fetch_add(1);
    return true;
}

bool JackTestClient::SendAll(const std::vector<Bytes>& messages,
                             std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (const Bytes& m : messages) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (!Send(m, std::max(left, std::chrono::milliseconds(0)))) return false;
    }
    return true;
}

bool JackTestClient::WaitUntilPlayed(std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (written_.load() < queued_.load())
        if (!Pause(deadline)) return false;
    const uint64_t cycle = cycles_.load();
    while (cycles_.load() < cycle + 3)
        if (!Pause(deadline)) return false;
    return true;
}

int JackTestClient::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackTestClient*>(arg);
    // A cycle that does not begin where the last one ended was skipped: what it
    // carried between clients is gone. PipeWire skips a cycle whose graph ran
    // late without calling the xrun callback, so this counts as one.
    const jack_nframes_t start = jack_last_frame_time(self->client_);
    if (self->cycles_.load(std::memory_order_relaxed) > 0 && start != self->nextStart_)
        self->xruns_.fetch_add(1);
    self->nextStart_ = start + frames;
    self->Record(frames);
    self->Play(frames);
    self->cycles_.fetch_add(1);
    return 0;
}

int JackTestClient::Xrun(void* arg) {
    static_cast<JackTestClient*>(arg)->xruns_.fetch_add(1);
    return 0;
}

// Incoming events go into the receive ring as length and bytes.
void JackTestClient::Record(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(in_, frames);
    const uint32_t start = jack_last_frame_time(client_);
    const uint32_t count = jack_midi_get_event_count(buffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0) continue;
        const uint32_t n = static_cast<uint32_t>(event.size);
        const uint32_t header[2] = {n, start + event.time};
        if (jack_ringbuffer_write_space(received_) < sizeof header + n) {
            lost_.fetch_add(1);
            continue;
        }
        jack_ringbuffer_write(received_, reinterpret_cast<const char*>(header), sizeof header);
        jack_ringbuffer_write(received_, reinterpret_cast<const char*>(event.buffer), n);
    }
}

// Outgoing: queued messages in order, at most perCycle_ and as many as fit into
// this cycle's buffer; the rest waits for the next cycle.
void JackTestClient::Play(jack_nframes_t frames) {
    void* buffer = jack_port_get_buffer(out_, frames);
    jack_midi_clear_buffer(buffer);
    if (largest_.load(std::memory_order_relaxed) == 0)
        largest_.store(jack_midi_max_event_size(buffer));
    const uint32_t start = jack_last_frame_time(client_);
    const int perCycle = perCycle_.load();
    jack_nframes_t time = 0;
    int played = 0;
    for (; played < perCycle; ++played) {
        uint32_t header[2] = {0, 0};
        if (jack_ringbuffer_peek(toSend_, reinterpret_cast<char*>(header), sizeof header) !=
                sizeof header ||
            jack_ringbuffer_read_space(toSend_) < sizeof header + header[0])
            break;
        if (header[1] != kAnyFrame) {
            // A message for a given frame starts a cycle of its own.
            if (played > 0 || header[1] >= frames) break;
            time = header[1];
        }
        jack_midi_data_t* data = jack_midi_event_reserve(buffer, time, header[0]);
        if (!data) break;
        jack_ringbuffer_read_advance(toSend_, sizeof header);
        jack_ringbuffer_read(toSend_, reinterpret_cast<char*>(data), header[0]);
        const uint32_t at = start + time;
        if (jack_ringbuffer_write_space(played_) >= sizeof at)
            jack_ringbuffer_write(played_, reinterpret_cast<const char*>(&at), sizeof at);
        written_.fetch_add(1);
        if (header[1] != kAnyFrame) {
            ++played;
            break;
        }
        if (time + 1 < frames) ++time;
    }
    if (static_cast<uint64_t>(played) > mostPerCycle_.load(std::memory_order_relaxed))
        mostPerCycle_.store(static_cast<uint64_t>(played));
}

void JackTestClient::Drain() {
    std::lock_guard<std::mutex> lock(mutex_);
    uint32_t header[2] = {0, 0};
    while (jack_ringbuffer_peek(received_, reinterpret_cast<char*>(header), sizeof header) ==
               sizeof header &&
           jack_ringbuffer_read_space(received_) >= sizeof header + header[0]) {
        jack_ringbuffer_read_advance(received_, sizeof header);
        Bytes m(header[0]);
        jack_ringbuffer_read(received_, reinterpret_cast<char*>(m.data()), header[0]);
        inbox_.push_back(std::move(m));
        inboxFrames_.push_back(header[1]);
    }
    uint32_t at = 0;
    while (jack_ringbuffer_read(played_, reinterpret_cast<char*>(&at), sizeof at) == sizeof at)
        playedFrames_.push_back(at);
}

std::vector<Bytes> JackTestClient::Received() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    return inbox_;
}

bool JackTestClient::WaitForCount(size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    for (;;) {
        Drain();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (inbox_.size() >= count) return true;
        }
        if (!Pause(deadline)) return false;
    }
}

void JackTestClient::ClearReceived() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    inbox_.clear();
    inboxFrames_.clear();
    playedFrames_.clear();
}

std::vector<uint32_t> JackTestClient::ReceivedFrames() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    return inboxFrames_;
}

std::vector<uint32_t> JackTestClient::PlayedFrames() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    return playedFrames_;
}

}  // namespace ostrel::test
