#include "midi/jack_midi_system.h"

#include <jack/jack.h>
#include <jack/midiport.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>

#include "midi/jack_library.h"

namespace ostrel {
namespace {

std::string StatusText(jack_status_t status) {
    if (status & JackServerFailed) return "no JACK or PipeWire server is running";
    if (status & JackNameNotUnique) return "the client name is in use";
    if (status & JackVersionError) return "the JACK server speaks another protocol version";
    if (status & JackInitFailure) return "the JACK client could not be initialised";
    return "cannot connect to the JACK server";
}

// PipeWire's JACK server shows a new connection to its clients a moment after
// jack_connect has returned (jackd2 at once). Waits, a second at most, until it
// shows, so that a connection just made is one that IsConnected sees.
void WaitUntilShown(jack_port_t* own, const std::string& device) {
    for (int i = 0; i < 1000 && !jack_port_connected_to(own, device.c_str()); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

}  // namespace

// Writes into this cycle's output buffer at the frame of the event being
// processed. Lives on the process thread's stack.
class JackMidiSystem::CycleWriter final : public MidiWriter {
  public:
    CycleWriter(void* buffer, size_t margin) : buffer_(buffer), margin_(margin) {}
    void At(uint32_t frame) { frame_ = frame; }
    bool Write(const uint8_t* bytes, size_t length) override {
        return jack_midi_event_write(buffer_, frame_, bytes, length) == 0;
    }
    size_t Room() const override {
        const size_t largest = jack_midi_max_event_size(buffer_);
        return largest > margin_ ? largest - margin_ : 0;
    }

  private:
    void* buffer_;
    size_t margin_;
    uint32_t frame_ = 0;
};

const char* JackMidiSystem::Name() const {
    static const bool pipeWire = OnPipeWireJack();
    return pipeWire ? "PipeWire" : "JACK";
}

bool JackMidiSystem::Answers() {
    if (JackServerAnswers()) return true;
    MarkServerLost(true);
    return false;
}

bool JackMidiSystem::Open(const std::string& clientName, MidiProcessor& processor,
                          std::string* why) {
    Close();
    QuietJack();
    std::lock_guard<std::mutex> lock(mutex_);
    jack_status_t status{};
    jack_client_t* client = jack_client_open(clientName.c_str(), JackNoStartServer, &status);
    if (client == nullptr) {
        SetWhy(why, StatusText(status));
        return false;
    }
    jack_port_t* in = jack_port_register(client, PortName(PortDirection::Input),
                                         JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    jack_port_t* out = jack_port_register(client, PortName(PortDirection::Output),
                                          JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
    MarkServerLost(false);
    processor_ = &processor;
    cycleClient_ = client;
    in_ = in;
    out_ = out;
    if (in == nullptr || out == nullptr ||
        jack_set_process_callback(client, &JackMidiSystem::Process, this) != 0 ||
        jack_set_port_registration_callback(client, &JackMidiSystem::PortRegistered, this) != 0 ||
        jack_set_client_registration_callback(client, &JackMidiSystem::ClientRegistered, this) !=
            0 ||
        jack_set_port_connect_callback(client, &JackMidiSystem::PortConnected, this) != 0) {
        jack_client_close(client);
        SetWhy(why, "cannot register the JACK ports of " + clientName);
        return false;
    }
    // jackd's libjack calls the first, PipeWire's only the second.
    jack_on_info_shutdown(
        client,
        [](jack_status_t code, const char* reason, void* self) {
            JackMidiSystem::Shutdown(static_cast<int>(code), reason, self);
        },
        this);
    jack_on_shutdown(
        client, [](void* self) { JackMidiSystem::Shutdown(0, "", self); }, this);
    if (jack_activate(client) != 0) {
        jack_client_close(client);
        SetWhy(why, "cannot activate the JACK client " + clientName);
        return false;
    }
    client_ = client;
    Joined(jack_get_client_name(client), jack_port_name(in), jack_port_name(out));
    // PipeWire's JACK server (0.3.65) crashes the writer of an event of exactly
    // the size its buffer reports: one byte short there; jackd takes it whole.
    margin_ = OnPipeWireJack() ? 1 : 0;
    MarkPortsChanged();
    UpdateLinks();
    return true;
}

void JackMidiSystem::Close() {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr) return;
    // Once the server has gone only closing is allowed; deactivating a live
    // client first waits until its process callback has returned.
    if (!ServerLost()) jack_deactivate(client_);
    jack_client_close(client_);
    client_ = nullptr;
    in_ = out_ = nullptr;
    processor_ = nullptr;
    Left();
}

jack_port_t* JackMidiSystem::Own(PortDirection direction) const {
    return direction == PortDirection::Input ? in_ : out_;
}

int JackMidiSystem::Process(uint32_t frames, void* arg) {
    auto* self = static_cast<JackMidiSystem*>(arg);
    void* inBuffer = jack_port_get_buffer(self->in_, frames);
    void* outBuffer = jack_port_get_buffer(self->out_, frames);
    jack_midi_clear_buffer(outBuffer);
    CycleWriter writer(outBuffer, self->margin_);
    // The cycle's times come from the server's shared memory: no system call.
    jack_nframes_t frame = 0;
    jack_time_t next = 0;
    float period = 0;
    jack_time_t began = 0;
    if (jack_get_cycle_times(self->cycleClient_, &frame, &began, &next, &period) == 0)
        self->cycleMicros_ = began;
    MidiProcessor& processor = *self->processor_;
    processor.BeginCycle(writer);
    const uint32_t count = jack_midi_get_event_count(inBuffer);
    for (uint32_t i = 0; i < count; ++i) {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, inBuffer, i) != 0 || event.size == 0) continue;
        writer.At(event.time);
        processor.Event(event.buffer, event.size, writer);
    }
    processor.EndCycle();
    return 0;
}

uint64_t JackMidiSystem::NowMicros() const { return jack_get_time(); }

void JackMidiSystem::Shutdown(int, const char*, void* arg) {
    static_cast<JackMidiSystem*>(arg)->MarkServerLost(true);
}

void JackMidiSystem::PortRegistered(uint32_t, int, void* arg) {
    static_cast<JackMidiSystem*>(arg)->MarkPortsChanged();
}

void JackMidiSystem::ClientRegistered(const char* name, int registered, void* arg) {
    auto* self = static_cast<JackMidiSystem*>(arg);
    if (!registered && name != nullptr) self->MarkDeparted(name);
    self->MarkPortsChanged();
}

// On the system's notification thread, never the MIDI thread.
void JackMidiSystem::PortConnected(uint32_t, uint32_t, int, void* arg) {
    auto* self = static_cast<JackMidiSystem*>(arg);
    self->UpdateLinks();
    self->MarkPortsChanged();
}

void JackMidiSystem::UpdateLinks() {
    // in_ and out_ live from before activation until after the client closed.
    if (in_ == nullptr || out_ == nullptr) return;
    MarkLinked(PortDirection::Input, jack_port_connected(in_) > 0);
    MarkLinked(PortDirection::Output, jack_port_connected(out_) > 0);
}

std::vector<std::string> JackMidiSystem::Devices(PortDirection direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> names;
    if (client_ == nullptr || ServerLost()) return names;
    // An input device feeds our "in": it is another client's output port.
    const unsigned long flags =
        direction == PortDirection::Input ? JackPortIsOutput : JackPortIsInput;
    if (const char** ports = jack_get_ports(client_, nullptr, JACK_DEFAULT_MIDI_TYPE, flags)) {
        for (const char** p = ports; *p != nullptr; ++p)
            if (!IsOwn(*p)) names.emplace_back(*p);
        jack_free(ports);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool JackMidiSystem::Connect(PortDirection direction, const std::string& device, std::string* why) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr || ServerLost()) {
        SetWhy(why, "not connected to the JACK server");
        return false;
    }
    if (IsOwn(device)) {
        SetWhy(why, kConnectedToItself);
        return false;
    }
    const char* own = jack_port_name(Own(direction));
    const int result = direction == PortDirection::Input
                           ? jack_connect(client_, device.c_str(), own)
                           : jack_connect(client_, own, device.c_str());
    if (result == 0 || result == EEXIST) {
        WaitUntilShown(Own(direction), device);
        return true;
    }
    SetWhy(why, "cannot connect " + std::string(own) + " with " + device);
    return false;
}

std::string JackMidiSystem::KindOfOtherPort(const std::string& port) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr || ServerLost()) return "";
    const jack_port_t* found = jack_port_by_name(client_, port.c_str());
    const char* type = found != nullptr ? jack_port_type(found) : nullptr;
    if (type == nullptr || std::strcmp(type, JACK_DEFAULT_MIDI_TYPE) == 0) return "";
    if (std::strcmp(type, JACK_DEFAULT_AUDIO_TYPE) == 0) return "an audio port";
    return std::string("a port of type ") + type;
}

void JackMidiSystem::Disconnect(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr || ServerLost()) return;
    const char* own = jack_port_name(Own(direction));
    if (direction == PortDirection::Input)
        jack_disconnect(client_, device.c_str(), own);
    else
        jack_disconnect(client_, own, device.c_str());
}

bool JackMidiSystem::IsConnected(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (client_ == nullptr || ServerLost()) return false;
    // The notification of a change may still be on its way: what the MIDI
    // thread reads is brought up to date with what is asked here.
    UpdateLinks();
    return jack_port_connected_to(Own(direction), device.c_str()) != 0;
}

}  // namespace ostrel
