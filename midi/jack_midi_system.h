#pragma once
// The MIDI system on libjack: one JACK client with a MIDI input port "in" and
// a MIDI output port "out". The process callback hands each input event to the
// processor, which writes the output into the same cycle at the same frame. The
// same binary runs on jackd and on PipeWire's JACK server. Only this file and
// its .cpp know libjack.
#include <atomic>
#include <mutex>
#include <string>

#include "midi/midi_system.h"

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace ostrel {

class JackMidiSystem final : public MidiSystem {
  public:
    JackMidiSystem() = default;
    ~JackMidiSystem() override { Close(); }

    // Whether a JACK server answers right now (it is never started for us).
    static bool ServerAnswers();

    // "PipeWire" on PipeWire's libjack, else "JACK".
    const char* Name() const override;
    bool Open(const std::string& clientName, MidiProcessor& processor, std::string* why) override;
    void Close() override;
    bool IsOpen() const override;
    std::string ClientName() const override;
    std::string OwnPort(PortDirection direction) const override;
    bool ServerLost() const override { return serverLost_.load(std::memory_order_acquire); }
    // False also marks the server lost: a client whose server is gone may only
    // be closed (deactivating it would wait on the dead server).
    bool Answers() override;
    bool TakePortsChanged() override {
        return portsChanged_.exchange(false, std::memory_order_acq_rel);
    }
    std::vector<std::string> TakeDepartedClients() override;
    std::vector<std::string> Devices(PortDirection direction) override;
    bool Connect(PortDirection direction, const std::string& device, std::string* why) override;
    void Disconnect(PortDirection direction, const std::string& device) override;
    bool IsConnected(PortDirection direction, const std::string& device) override;
    bool Linked(PortDirection direction) const override {
        return linked_[direction == PortDirection::Input ? 0 : 1].load(std::memory_order_acquire);
    }
    uint64_t CycleMicros() const override { return cycleMicros_; }
    uint64_t NowMicros() const override;

  private:
    class CycleWriter;
    static int Process(uint32_t frames, void* self);
    static void Shutdown(int code, const char* reason, void* self);  // code: jack_status_t
    static void PortRegistered(uint32_t port, int registered, void* self);
    static void ClientRegistered(const char* name, int registered, void* self);
    static void PortConnected(uint32_t a, uint32_t b, int connected, void* self);
    // Off the MIDI thread: whether each of our ports has a connection now.
    void UpdateLinks();
    jack_port_t* Own(PortDirection direction) const;

    mutable std::mutex mutex_;  // the client handle, for ordinary threads
    jack_client_t* client_ = nullptr;
    jack_client_t* cycleClient_ = nullptr;  // the client handle, for the MIDI thread
    uint64_t cycleMicros_ = 0;              // MIDI thread: when this cycle began
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    MidiProcessor* processor_ = nullptr;
    std::string clientName_;
    std::atomic<bool> serverLost_{false};
    std::atomic<bool> portsChanged_{false};
    std::atomic<bool> linked_[2] = {false, false};
    size_t margin_ = 0;         // bytes kept free of the largest event the port reports
    std::mutex departedMutex_;  // the notification thread's and the keeper's
    std::vector<std::string> departed_;
};

}  // namespace ostrel
