#pragma once
// The MIDI system as Ostrel sees it: one client of the MIDI graph with an input
// port "in" and an output port "out" that exist for as long as the client is
// open, whether or not a device is chosen. A device is a port of another client;
// choosing it is connecting it to ours. Every input event is handed to a
// MidiProcessor on the system's MIDI thread, which writes what goes out at the
// time of that event.
//
// Implementations: JACK (jack_midi_system.h, libjack, also PipeWire's JACK
// server), the ALSA sequencer (alsa_midi_system.h, RtMidi) and an in-process
// fake for tests (tests/support/fake_midi_system.h), each a GraphClient
// (graph_client.h), which keeps what they all know of their client.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace ostrel {

// Input: our "in" port, fed by another client's output port (the keyboard).
// Output: our "out" port, feeding another client's input port (the synth).
enum class PortDirection { Input, Output };

// The index of a direction in arrays of two: 0 for "in", 1 for "out".
constexpr int Side(PortDirection direction) { return direction == PortDirection::Input ? 0 : 1; }

// Why a device that is one of our own ports cannot be chosen.
inline constexpr const char* kConnectedToItself = "Ostrel cannot be connected to itself";

// Writes one event to the output at the time of the event being processed (or
// at the start of the cycle outside an event). False when it does not fit: the
// event is larger than the largest the port carries, or this cycle is full.
class MidiWriter {
  public:
    virtual bool Write(const uint8_t* bytes, size_t length) = 0;
    // The largest event that still fits this cycle (at the start of a cycle: the
    // largest the port carries at all).
    virtual size_t Room() const = 0;

  protected:
    ~MidiWriter() = default;
};

// What runs on the MIDI thread. The system calls, for every cycle, BeginCycle,
// then Event for each input event in time order, then EndCycle. Nothing here may
// allocate, lock, wait or make a system call.
class MidiProcessor {
  public:
    virtual void BeginCycle(MidiWriter& out) = 0;
    // One input event as it came: a short message (status first) or a System
    // Exclusive message; it never joins other events.
    virtual void Event(const uint8_t* bytes, size_t length, MidiWriter& out) = 0;
    virtual void EndCycle() = 0;

  protected:
    ~MidiProcessor() = default;
};

// Told by the MIDI system whenever the graph may have changed: ports came or
// went, a connection was made or removed, the server left. Called on the
// system's own notification thread (or the caller's), never the MIDI thread; it
// must return at once and never call back into the system.
class GraphListener {
  public:
    virtual void GraphChanged() = 0;

  protected:
    ~GraphListener() = default;
};

class MidiSystem {
  public:
    virtual ~MidiSystem() = default;

    // "JACK", "PipeWire" or "ALSA" (or "fake"), for messages.
    virtual const char* Name() const = 0;

    // Joins the MIDI graph as clientName with the ports "in" and "out"; the
    // processor runs from then until Close(). False with the reason in *why.
    virtual bool Open(const std::string& clientName, MidiProcessor& processor,
                      std::string* why) = 0;
    // Leaves the graph; once it returns the processor is not called any more.
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    // The client's name in the graph (the system may have changed the one asked for).
    virtual std::string ClientName() const = 0;
    // Full name of our own port ("Ostrel:in"), empty while closed.
    virtual std::string OwnPort(PortDirection direction) const = 0;

    // True once the server went away under an open client: Close() it, then
    // try Open() again later. Set from the system's own notification thread.
    virtual bool ServerLost() const = 0;
    // Whether the server still answers a new client. Asked, off the MIDI thread,
    // when the cycles have stopped without any word from the server.
    virtual bool Answers() { return true; }
    // True once after ports of the graph came or went (then look again).
    virtual bool TakePortsChanged() = 0;
    // The clients that left the graph since the last call, by name: a port
    // of theirs found at the next look is a new one, even when it has the
    // old name (a synth that quit and started again between two looks).
    virtual std::vector<std::string> TakeDepartedClients() = 0;
    // From now on tells listener (null: nobody) of every change that
    // TakePortsChanged, TakeDepartedClients or ServerLost would show. False when
    // the system tells of no change: it must then be looked at from time to time.
    virtual bool Listen(GraphListener* /*listener*/) { return false; }

    // The other clients' ports a device can be chosen from, full names
    // ("client:port"), sorted by name, never our own.
    virtual std::vector<std::string> Devices(PortDirection direction) = 0;
    // Connects the device's port to ours (already connected is fine).
    virtual bool Connect(PortDirection direction, const std::string& device, std::string* why) = 0;
    virtual void Disconnect(PortDirection direction, const std::string& device) = 0;
    virtual bool IsConnected(PortDirection direction, const std::string& device) = 0;
    // What a port of that full name is when it exists and carries no MIDI ("an
    // audio port"); empty for a MIDI port, or none of that name.
    virtual std::string KindOfOtherPort(const std::string& /*port*/) { return ""; }
    // Whether our port of that direction has any connection at all, whoever
    // made it, as the system last told. Safe on the MIDI thread: it reads an
    // atomic and never calls into the system.
    virtual bool Linked(PortDirection direction) const = 0;

    // MIDI thread, during a cycle: when the cycle began, in microseconds of the
    // system's own monotonic clock, read without a system call (JACK: the
    // cycle's frame time). 0 where the system tells none.
    virtual uint64_t CycleMicros() const { return 0; }
    // Any other thread: that clock now, to turn a cycle's time into local time.
    virtual uint64_t NowMicros() const { return 0; }

    // Called after output was queued by a thread other than the MIDI thread.
    // Systems without a running cycle (ALSA between input events, the fake) run
    // one here; JACK's next cycle comes by itself.
    virtual void Wake() {}
};

}  // namespace ostrel
