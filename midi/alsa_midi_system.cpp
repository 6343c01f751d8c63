// The ALSA sequencer through RtMidi, in one file of about 310 lines: the header
// promises that only this pair of files knows RtMidi, so its error plumbing, the
// token hand-off and the port connections stay together here.
#include "midi/alsa_midi_system.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <rtmidi/RtMidi.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <iostream>
#include <sstream>

#include "midi/event_splitter.h"

namespace ostrel {
namespace {

// RtMidi reports through this callback instead of printing; the thread that
// calls into RtMidi collects the text, errors on the MIDI thread are dropped.
thread_local std::string* tErrorSink = nullptr;

void CollectError(RtMidiError::Type, const std::string& text, void*) {
    if (tErrorSink != nullptr && tErrorSink->empty()) *tErrorSink = text;
}

// RtMidi's constructors print a failure on std::cerr before they throw it; the
// text reaches the user once, through the exception, in Ostrel's words.
class QuietCerr {
  public:
    QuietCerr() : previous_(std::cerr.rdbuf(sink_.rdbuf())) {}
    ~QuietCerr() { std::cerr.rdbuf(previous_); }

  private:
    std::ostringstream sink_;
    std::streambuf* previous_;
};

class ErrorScope {
  public:
    explicit ErrorScope(std::string& sink) : previous_(tErrorSink) { tErrorSink = &sink; }
    ~ErrorScope() { tErrorSink = previous_; }

  private:
    std::string* previous_;
};

// libasound prints its own complaints ("ALSA lib seq_hw.c ...") on stderr;
// Ostrel says what went wrong in its own words instead.
void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}

// RtMidi names an ALSA port "client:port client-number:port-number"; the
// numbers change from run to run, so a device is remembered without them.
std::string WithoutNumbers(const std::string& name) {
    const size_t blank = name.rfind(' ');
    if (blank == std::string::npos) return name;
    const std::string tail = name.substr(blank + 1);
    const bool numbers =
        !tail.empty() && tail.find_first_not_of("0123456789:") == std::string::npos;
    return numbers ? name.substr(0, blank) : name;
}

}  // namespace

class AlsaMidiSystem::Writer final : public MidiWriter {
  public:
    explicit Writer(RtMidiOut* out) : out_(out) {}
    bool Write(const uint8_t* bytes, size_t length) override {
        if (out_ == nullptr) return true;  // no output: nothing to write to
        try {
            out_->sendMessage(bytes, length);
        } catch (const RtMidiError&) {
        }
        return true;
    }
    size_t Room() const override { return size_t{1} << 20; }

  private:
    RtMidiOut* out_;
};

// Held while Connect or Disconnect closes and opens the output port again:
// the token holder's writer sends to that port, and RtMidi's port must not
// close under a send. The token is taken, as Close does, rather than the port
// swapped: RtMidi reopens the port in place, so there is no second port to
// swap to. The wait is the cycle under way at most, and the MIDI thread never
// waits for it: an event that comes meanwhile is deferred and run when the
// token is given back. The input port is RtMidi's own thread's, which RtMidi
// stops itself when it closes the port.
class AlsaMidiSystem::OutputHold {
  public:
    OutputHold(AlsaMidiSystem& system, PortDirection direction)
        : system_(direction == PortDirection::Output ? &system : nullptr) {
        if (system_ != nullptr) system_->TakeToken();
    }
    ~OutputHold() {
        if (system_ != nullptr) system_->ReleaseToken();
    }
    OutputHold(const OutputHold&) = delete;
    OutputHold& operator=(const OutputHold&) = delete;

  private:
    AlsaMidiSystem* system_;
};

AlsaMidiSystem::AlsaMidiSystem() = default;

AlsaMidiSystem::~AlsaMidiSystem() { Close(); }

bool AlsaMidiSystem::SequencerPresent() {
    snd_lib_error_set_handler(&QuietAlsa);
    const int fd = ::open("/dev/snd/seq", O_RDWR | O_CLOEXEC);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool AlsaMidiSystem::Open(const std::string& clientName, MidiProcessor& processor,
                          std::string* why) {
    Close();
    snd_lib_error_set_handler(&QuietAlsa);
    std::lock_guard<std::mutex> lock(mutex_);
    std::string error;
    ErrorScope scope(error);
    const QuietCerr quiet;
    try {
        auto in = std::make_unique<RtMidiIn>(RtMidi::LINUX_ALSA, clientName);
        auto out = std::make_unique<RtMidiOut>(RtMidi::LINUX_ALSA, clientName);
        in->setErrorCallback(&CollectError, nullptr);
        out->setErrorCallback(&CollectError, nullptr);
        processor_.store(&processor, std::memory_order_release);
        // System Exclusive, timing clock and active sensing all arrive.
        in->ignoreTypes(false, false, false);
        in->setCallback(&AlsaMidiSystem::Input, this);
        in->openVirtualPort(PortName(PortDirection::Input));
        out->openVirtualPort(PortName(PortDirection::Output));
        in_ = std::move(in);
        out_ = std::move(out);
    } catch (const RtMidiError& e) {
        processor_.store(nullptr, std::memory_order_release);
        SetWhy(why, e.getMessage());
        return false;
    }
    if (!error.empty()) {
        processor_.store(nullptr, std::memory_order_release);
        in_.reset();
        out_.reset();
        SetWhy(why, error);
        return false;
    }
    Joined(clientName, clientName + ":" + PortName(PortDirection::Input),
           clientName + ":" + PortName(PortDirection::Output));
    idleRunning_.store(true);
    idle_ = std::thread([this] {
        while (idleRunning_.load()) {
            RunIdle();
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        }
    });
    return true;
}

void AlsaMidiSystem::Close() {
    if (idle_.joinable()) {
        idleRunning_.store(false);
        idle_.join();
    }
    std::lock_guard<std::mutex> lock(mutex_);
    try {
        in_.reset();  // stops RtMidi's input thread
    } catch (const RtMidiError&) {
    }
    // Wait for a cycle another thread may still be running.
    TakeToken();
    processor_.store(nullptr, std::memory_order_release);
    out_.reset();
    busy_.store(false, std::memory_order_release);
    connected_[0].clear();
    connected_[1].clear();
    Left();
}

void AlsaMidiSystem::Input(double, std::vector<unsigned char>* message, void* arg) {
    if (message == nullptr || message->empty()) return;
    auto* self = static_cast<AlsaMidiSystem*>(arg);
    // RtMidi joins an unterminated System Exclusive event with the events that
    // follow it; each of them stands alone again here.
    SplitJoinedEvents(message->data(), message->size(),
                      [self](const uint8_t* b, size_t n) { self->OnInput(b, n); });
}

void AlsaMidiSystem::OnInput(const uint8_t* bytes, size_t length) {
    if (!busy_.exchange(true, std::memory_order_acquire)) {
        RunCycle(bytes, length);
        ReleaseToken();
        return;
    }
    // Another thread writes queued output this moment: the event waits in
    // order for the token holder, who runs it before letting go.
    Deferred* d = length <= sizeof(Deferred{}.bytes) ? deferred_.NextFree() : nullptr;
    if (d == nullptr) {
        droppedInput_.fetch_add(1, std::memory_order_relaxed);
        return;
    }
    d->length = static_cast<uint32_t>(length);
    std::memcpy(d->bytes, bytes, length);
    deferred_.Commit();
}

void AlsaMidiSystem::RunIdle() {
    if (busy_.exchange(true, std::memory_order_acquire)) return;
    RunCycle(nullptr, 0);
    ReleaseToken();
}

void AlsaMidiSystem::RunCycle(const uint8_t* event, size_t length) {
    MidiProcessor* processor = processor_.load(std::memory_order_acquire);
    if (processor == nullptr) return;
    Writer writer(out_.get());
    processor->BeginCycle(writer);
    while (Deferred* d = deferred_.Front()) {
        processor->Event(d->bytes, d->length, writer);
        deferred_.PopFront();
    }
    if (event != nullptr) processor->Event(event, length, writer);
    processor->EndCycle();
}

void AlsaMidiSystem::TakeToken() {
    while (busy_.exchange(true, std::memory_order_acquire)) std::this_thread::yield();
}

void AlsaMidiSystem::ReleaseToken() {
    busy_.store(false, std::memory_order_seq_cst);
    // An event deferred just before the token came free is not left waiting.
    while (!deferred_.Empty() && !busy_.exchange(true, std::memory_order_seq_cst)) {
        RunCycle(nullptr, 0);
        busy_.store(false, std::memory_order_seq_cst);
    }
}

RtMidi* AlsaMidiSystem::Port(PortDirection direction) const {
    if (direction == PortDirection::Input) return in_.get();
    return out_.get();
}

std::vector<std::string> AlsaMidiSystem::PortNames(PortDirection direction) {
    std::vector<std::string> names;
    std::string error;
    ErrorScope scope(error);
    try {
        RtMidi* probe = Port(direction);
        if (probe == nullptr) return names;
        const unsigned count = probe->getPortCount();
        for (unsigned i = 0; i < count; ++i) names.push_back(probe->getPortName(i));
    } catch (const RtMidiError&) {
    }
    return names;
}

std::vector<std::string> AlsaMidiSystem::Devices(PortDirection direction) {
    std::lock_guard<std::mutex> lock(mutex_);
    std::vector<std::string> names;
    for (const std::string& name : PortNames(direction)) {
        const std::string bare = WithoutNumbers(name);
        if (!IsOwn(bare)) names.push_back(bare);
    }
    std::sort(names.begin(), names.end());
    return names;
}

bool AlsaMidiSystem::TakePortsChanged() {
    bool changed = false;
    for (PortDirection d : {PortDirection::Input, PortDirection::Output}) {
        std::vector<std::string> now = Devices(d);
        std::lock_guard<std::mutex> lock(mutex_);
        if (now != lastDevices_[Side(d)]) changed = true;
        // A device that went away took its subscription with it.
        std::string& connected = connected_[Side(d)];
        if (!connected.empty() && std::find(now.begin(), now.end(), connected) == now.end())
            connected.clear();
        lastDevices_[Side(d)] = std::move(now);
    }
    return changed;
}

bool AlsaMidiSystem::Connect(PortDirection direction, const std::string& device, std::string* why) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (in_ == nullptr) {
        SetWhy(why, "the ALSA sequencer client is not open");
        return false;
    }
    if (IsOwn(device)) {
        SetWhy(why, kConnectedToItself);
        return false;
    }
    const std::vector<std::string> names = PortNames(direction);
    int index = -1;
    for (size_t i = 0; i < names.size(); ++i)
        if (WithoutNumbers(names[i]) == device) index = static_cast<int>(i);
    if (index < 0) {
        SetWhy(why, "no ALSA port " + device);
        return false;
    }
    std::string error;
    ErrorScope scope(error);
    try {
        // RtMidi subscribes one port to one device: choosing another closes
        // the old subscription first.
        RtMidi& port = *Port(direction);
        const OutputHold hold(*this, direction);
        if (port.isPortOpen()) port.closePort();
        port.openPort(static_cast<unsigned>(index), PortName(direction));
    } catch (const RtMidiError& e) {
        error = e.getMessage();
    }
    if (!error.empty()) {
        SetWhy(why, error);
        return false;
    }
    connected_[Side(direction)] = device;
    return true;
}

void AlsaMidiSystem::Disconnect(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    if (in_ == nullptr || connected_[Side(direction)] != device) return;
    std::string error;
    ErrorScope scope(error);
    try {
        RtMidi& port = *Port(direction);
        const OutputHold hold(*this, direction);
        port.closePort();
        port.openVirtualPort(PortName(direction));
    } catch (const RtMidiError&) {
    }
    connected_[Side(direction)].clear();
}

bool AlsaMidiSystem::IsConnected(PortDirection direction, const std::string& device) {
    std::lock_guard<std::mutex> lock(mutex_);
    return !device.empty() && connected_[Side(direction)] == device;
}

}  // namespace ostrel
