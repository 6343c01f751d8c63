#include "midi/rtmidi_services.h"

#include <fcntl.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <thread>

#include "midi/short_message.h"

namespace ostrel {
namespace {

// RtMidi reports through a callback (or by printing and throwing). The thread
// that opens a port collects the text here; errors on the MIDI thread are
// dropped, since nothing there may wait for anybody.
thread_local std::string* tErrorSink = nullptr;

void CollectError(RtMidiError::Type, const std::string& text, void*) {
    if (tErrorSink != nullptr && tErrorSink->empty()) *tErrorSink = text;
}

class ErrorScope {
  public:
    explicit ErrorScope(std::string& sink) : previous_(tErrorSink) { tErrorSink = &sink; }
    ~ErrorScope() { tErrorSink = previous_; }

  private:
    std::string* previous_;
};

RtMidi::Api ToRtMidi(MidiApi api) {
    return api == MidiApi::Alsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK;
}

void SetWhy(std::string* why, const std::string& text) {
    if (why != nullptr) *why = text;
}

std::string NoDevice(const char* direction, int index, unsigned count) {
    if (count == 0)
        return std::string("no MIDI ") + direction + " devices (is the MIDI system running?)";
    return std::string("no MIDI ") + direction + " device " + std::to_string(index) + " (" +
           std::to_string(count) + (count == 1 ? " device" : " devices") + ")";
}

template <typename Port>
std::vector<std::string> PortNames(MidiApi api, const std::string& clientName) {
    std::vector<std::string> names;
    std::string error;
    ErrorScope scope(error);
    try {
        Port port(ToRtMidi(api), clientName);
        port.setErrorCallback(&CollectError, nullptr);
        const unsigned count = port.getPortCount();
        for (unsigned i = 0; i < count; ++i) names.push_back(port.getPortName(i));
    } catch (const RtMidiError&) {
        // No MIDI system: no devices.
    }
    return names;
}

class RtMidiInputPort final : public MidiInputPort {
  public:
    // The port exists before the RtMidi client, so that the client's thread
    // (started when the client is made) finds it complete.
    explicit RtMidiInputPort(MidiInputHandler& handler) : handler_(handler) {}
    ~RtMidiInputPort() override {
        // Closing the client stops its thread; no callback runs after this.
        try {
            if (in_) in_->closePort();
            in_.reset();
        } catch (const RtMidiError&) {
        }
    }
    void SetClient(std::unique_ptr<RtMidiIn> in) { in_ = std::move(in); }
    static void Callback(double, std::vector<unsigned char>* message, void* user) {
        if (message == nullptr || message->empty()) return;
        static_cast<RtMidiInputPort*>(user)->handler_.OnMidiMessage(message->data(),
                                                                    message->size());
    }
    RtMidiIn& In() { return *in_; }

  private:
    std::unique_ptr<RtMidiIn> in_;
    MidiInputHandler& handler_;
};

class RtMidiOutputPort final : public MidiOutputPort {
  public:
    RtMidiOutputPort(std::unique_ptr<RtMidiOut> out, bool jack)
        : out_(std::move(out)), jack_(jack) {}
    ~RtMidiOutputPort() override {
        // With JACK, RtMidi's close waits (at most a second) for one cycle that
        // takes the buffered messages, but then unregisters the port at once,
        // possibly before the receiving client has read that cycle. A short
        // grace period lets the last messages arrive.
        if (jack_ && used_.load(std::memory_order_acquire))
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        try {
            out_->closePort();
            out_.reset();
        } catch (const RtMidiError&) {
        }
    }
    void SendShort(uint32_t packed) override {
        const unsigned char bytes[3] = {PackedByte(packed, 0), PackedByte(packed, 1),
                                        PackedByte(packed, 2)};
        const int length = ShortMessageLength(bytes[0]);
        if (length == 0) return;
        Send(bytes, static_cast<size_t>(length));
    }
    void SendLong(const uint8_t* bytes, size_t length) override {
        if (length > 0) Send(bytes, length);
    }

  private:
    void Send(const unsigned char* bytes, size_t length) {
        if (!used_.load(std::memory_order_relaxed)) used_.store(true, std::memory_order_release);
        try {
            out_->sendMessage(bytes, length);
        } catch (const RtMidiError&) {
            // A failing send is not reported, as on every other output path.
        }
    }
    std::unique_ptr<RtMidiOut> out_;
    const bool jack_;
    std::atomic<bool> used_{false};
};

}  // namespace

MidiApi ChooseMidiApi() {
    if (const char* chosen = std::getenv("OSTREL_MIDI_API")) {
        if (std::strcmp(chosen, "alsa") == 0) return MidiApi::Alsa;
        if (std::strcmp(chosen, "jack") == 0) return MidiApi::Jack;
    }
    const int fd = ::open("/dev/snd/seq", O_RDWR | O_CLOEXEC);
    if (fd < 0) return MidiApi::Jack;
    ::close(fd);
    return MidiApi::Alsa;
}

std::unique_ptr<MidiServices> CreateSystemMidiServices() {
    return std::make_unique<RtMidiServices>(ChooseMidiApi());
}

std::vector<std::string> RtMidiServices::InputDeviceNames() {
    return PortNames<RtMidiIn>(api_, inputClient_);
}

std::vector<std::string> RtMidiServices::OutputDeviceNames() {
    return PortNames<RtMidiOut>(api_, outputClient_);
}

std::unique_ptr<MidiInputPort> RtMidiServices::OpenInput(int index, MidiInputHandler& handler,
                                                         std::string* why) {
    std::string error;
    ErrorScope scope(error);
    try {
        auto port = std::make_unique<RtMidiInputPort>(handler);
        port->SetClient(std::make_unique<RtMidiIn>(ToRtMidi(api_), inputClient_));
        port->In().setErrorCallback(&CollectError, nullptr);
        const unsigned count = port->In().getPortCount();
        if (index < 0 || static_cast<unsigned>(index) >= count) {
            SetWhy(why, NoDevice("input", index, count));
            return nullptr;
        }
        // System Exclusive, timing clock and active sensing all arrive.
        port->In().ignoreTypes(false, false, false);
        port->In().setCallback(&RtMidiInputPort::Callback, port.get());
        port->In().openPort(static_cast<unsigned>(index), kInputPortName);
        if (!port->In().isPortOpen()) {
            SetWhy(why, error.empty() ? "cannot open MIDI input device " + std::to_string(index)
                                      : error);
            return nullptr;
        }
        return port;
    } catch (const RtMidiError& e) {
        SetWhy(why, e.getMessage());
        return nullptr;
    }
}

std::unique_ptr<MidiOutputPort> RtMidiServices::OpenOutput(int index, std::string* why) {
    std::string error;
    ErrorScope scope(error);
    try {
        auto out = std::make_unique<RtMidiOut>(ToRtMidi(api_), outputClient_);
        out->setErrorCallback(&CollectError, nullptr);
        const unsigned count = out->getPortCount();
        if (index < 0 || static_cast<unsigned>(index) >= count) {
            SetWhy(why, NoDevice("output", index, count));
            return nullptr;
        }
        out->openPort(static_cast<unsigned>(index), kOutputPortName);
        if (!out->isPortOpen()) {
            SetWhy(why, error.empty() ? "cannot open MIDI output device " + std::to_string(index)
                                      : error);
            return nullptr;
        }
        return std::make_unique<RtMidiOutputPort>(std::move(out), api_ == MidiApi::Jack);
    } catch (const RtMidiError& e) {
        SetWhy(why, e.getMessage());
        return nullptr;
    }
}

}  // namespace ostrel

#if defined(__SANITIZE_THREAD__)
// RtMidi's JACK backend hands every message between threads through libjack's
// ring buffer, whose synchronisation ThreadSanitizer cannot see because libjack
// is not instrumented. Reports raised inside that ring buffer are not ours.
extern "C" const char* __tsan_default_suppressions() {
    return "race:jack_ringbuffer_read\n"
           "race:jack_ringbuffer_peek\n"
           "race:jack_ringbuffer_write\n";
}
#endif
