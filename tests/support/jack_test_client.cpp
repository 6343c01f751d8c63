#include "support/jack_test_client.h"

#include <jack/midiport.h>

#include <cstring>
#include <thread>

namespace ostrel::test {
namespace {

constexpr size_t kRingSize = 1 << 22;
constexpr size_t kMaxMessage = 1 << 16;

}  // namespace

JackTestClient::JackTestClient(const std::string& name) {
    jack_status_t status;
    client_ = jack_client_open(name.c_str(), JackNoStartServer, &status);
    if (!client_) return;
    in_ = jack_port_register(client_, "in", JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    out_ = jack_port_register(client_, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    toSend_ = jack_ringbuffer_create(kRingSize);
    received_ = jack_ringbuffer_create(kRingSize);
    jack_set_process_callback(client_, &JackTestClient::Process, this);
    if (!in_ || !out_ || jack_activate(client_) != 0) {
        jack_client_close(client_);
        client_ = nullptr;
    }
}

JackTestClient::~JackTestClient() {
    if (client_) {
        jack_deactivate(client_);
        jack_client_close(client_);
    }
    if (toSend_) jack_ringbuffer_free(toSend_);
    if (received_) jack_ringbuffer_free(received_);
}

std::string JackTestClient::InPort() const { return client_ ? jack_port_name(in_) : ""; }
std::string JackTestClient::OutPort() const { return client_ ? jack_port_name(out_) : ""; }

bool JackTestClient::Connect(const std::string& source, const std::string& destination) {
    if (!client_) return false;
    const int r = jack_connect(client_, source.c_str(), destination.c_str());
    return r == 0 || r == EEXIST;
}

std::vector<std::string> JackTestClient::MidiPorts(unsigned long flags) const {
    std::vector<std::string> names;
    if (!client_) return names;
    const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags);
    for (const char** p = ports; p && *p; ++p) names.emplace_back(*p);
    if (ports) jack_free(ports);
    return names;
}

bool JackTestClient::Send(const Bytes& message) {
    if (!client_ || message.empty() || message.size() > kMaxMessage) return false;
    const uint32_t n = static_cast<uint32_t>(message.size());
    if (jack_ringbuffer_write_space(toSend_) < n + sizeof n) return false;
    jack_ringbuffer_write(toSend_, reinterpret_cast<const char*>(&n), sizeof n);
    jack_ringbuffer_write(toSend_, reinterpret_cast<const char*>(message.data()), n);
    return true;
}

bool JackTestClient::SendAll(const std::vector<Bytes>& messages, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (const Bytes& m : messages) {
        while (!Send(m)) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }
    return true;
}

int JackTestClient::Process(jack_nframes_t frames, void* arg) {
    auto* self = static_cast<JackTestClient*>(arg);
    // Incoming events go into the ring buffer as length and bytes.
    void* inBuf = jack_port_get_buffer(self->in_, frames);
    const uint32_t count = jack_midi_get_event_count(inBuf);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t ev;
        if (jack_midi_event_get(&ev, inBuf, i) != 0) continue;
        const uint32_t n = static_cast<uint32_t>(ev.size);
        if (jack_ringbuffer_write_space(self->received_) < n + sizeof n) continue;
        jack_ringbuffer_write(self->received_, reinterpret_cast<const char*>(&n), sizeof n);
        jack_ringbuffer_write(self->received_, reinterpret_cast<const char*>(ev.buffer), n);
    }
    // Outgoing: as many queued messages as fit into this cycle's buffer, in order.
    void* outBuf = jack_port_get_buffer(self->out_, frames);
    jack_midi_clear_buffer(outBuf);
    jack_nframes_t time = 0;
    while (jack_ringbuffer_read_space(self->toSend_) >= sizeof(uint32_t)) {
        uint32_t n;
        jack_ringbuffer_peek(self->toSend_, reinterpret_cast<char*>(&n), sizeof n);
        if (n > jack_midi_max_event_size(outBuf)) break;
        jack_midi_data_t* dst = jack_midi_event_reserve(outBuf, time, n);
        if (!dst) break;
        jack_ringbuffer_read_advance(self->toSend_, sizeof n);
        jack_ringbuffer_read(self->toSend_, reinterpret_cast<char*>(dst), n);
        if (time + 1 < frames) ++time;
    }
    return 0;
}

void JackTestClient::Drain() {
    std::lock_guard<std::mutex> lock(mutex_);
    while (jack_ringbuffer_read_space(received_) >= sizeof(uint32_t)) {
        uint32_t n;
        jack_ringbuffer_peek(received_, reinterpret_cast<char*>(&n), sizeof n);
        if (jack_ringbuffer_read_space(received_) < sizeof n + n) break;
        jack_ringbuffer_read_advance(received_, sizeof n);
        Bytes m(n);
        jack_ringbuffer_read(received_, reinterpret_cast<char*>(m.data()), n);
        inbox_.push_back(std::move(m));
    }
}

std::vector<Bytes> JackTestClient::Received() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    return inbox_;
}

bool JackTestClient::WaitForCount(size_t count, std::chrono::milliseconds timeout) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        Drain();
        {
            std::lock_guard<std::mutex> lock(mutex_);
            if (inbox_.size() >= count) return true;
        }
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
}

void JackTestClient::ClearReceived() {
    Drain();
    std::lock_guard<std::mutex> lock(mutex_);
    inbox_.clear();
}

}  // namespace ostrel::test
