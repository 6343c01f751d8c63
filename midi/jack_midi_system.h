#pragma once
// The MIDI system on libjack: one JACK client with a MIDI input port "in" and
// a MIDI output port "out". The process callback hands each input event to the
// processor, which writes the output into the same cycle at the same frame. The
// same binary runs on jackd and on PipeWire's JACK server. libjack is known
// here and in jack_library.cpp (which libjack is loaded, whether a server
// answers), nowhere else.
#include <string>

#include "midi/graph_client.h"

typedef struct _jack_client jack_client_t;
typedef struct _jack_port jack_port_t;

namespace ostrel {

class JackMidiSystem final : public GraphClient {
  public:
    JackMidiSystem() = default;
    ~JackMidiSystem() override { Close(); }

    // "PipeWire" on PipeWire's libjack, else "JACK".
    const char* Name() const override;
    bool Open(const std::string& clientName, MidiProcessor& processor, std::string* why) override;
    void Close() override;
    // False also marks the server lost: a client whose server is gone may only
    // be closed (deactivating it would wait on the dead server).
    bool Answers() override;
    std::vector<std::string> Devices(PortDirection direction) override;
    bool Connect(PortDirection direction, const std::string& device, std::string* why) override;
    void Disconnect(PortDirection direction, const std::string& device) override;
    bool IsConnected(PortDirection direction, const std::string& device) override;
    std::string KindOfOtherPort(const std::string& port) override;
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

    jack_client_t* client_ = nullptr;       // under mutex_, for ordinary threads
    jack_client_t* cycleClient_ = nullptr;  // the client handle, for the MIDI thread
    uint64_t cycleMicros_ = 0;              // MIDI thread: when this cycle began
    jack_port_t* in_ = nullptr;
    jack_port_t* out_ = nullptr;
    MidiProcessor* processor_ = nullptr;
    size_t margin_ = 0;  // bytes kept free of the largest event the port reports
};

}  // namespace ostrel
