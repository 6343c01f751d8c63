#pragma once
// The MIDI system as the program sees it: numbered input and output devices with
// names, an input port that hands every message to a handler on the system's own
// thread, and an output port for short and long messages. The RtMidi backend
// (rtmidi_services.h) serves the program; the in-process fake
// (fake_midi_services.h) serves tests and machines without a MIDI system.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace ostrel {

// Receives the messages of one input port.
class MidiInputHandler {
  public:
    virtual ~MidiInputHandler() = default;
    // One complete message: a short message of 1 to 3 bytes, status first, or a
    // System Exclusive message F0 ... F7 of any length. Runs on the MIDI system's
    // thread (possibly a real-time thread), one call at a time per port: it must
    // not block, lock or allocate. A backend that runs input and output in one
    // real-time cycle writes what the handler sends on an output port into that
    // same cycle, at the time of the input event.
    virtual void OnMidiMessage(const uint8_t* bytes, size_t length) = 0;
};

// An open input port. Destroying it closes the port; once the destructor has
// returned, the handler is not called any more.
class MidiInputPort {
  public:
    virtual ~MidiInputPort() = default;
};

// An open output port. Calls on one port must not overlap: whoever sends from
// more than one thread serialises the calls (the pass-through does, through its
// OutputGate). Destroying the port sends what is still buffered, then closes it.
class MidiOutputPort {
  public:
    virtual ~MidiOutputPort() = default;
    // packed: status in the lowest byte, then data 1, then data 2. Goes out with
    // as many bytes as the status implies (ShortMessageLength); a value whose
    // lowest byte is not a status byte other than F0 is not sent.
    virtual void SendShort(uint32_t packed) = 0;
    // One complete message as it is (System Exclusive F0 ... F7).
    virtual void SendLong(const uint8_t* bytes, size_t length) = 0;
};

class MidiServices {
  public:
    virtual ~MidiServices() = default;

    // Device names in device order: position i is device index i.
    virtual std::vector<std::string> InputDeviceNames() = 0;
    virtual std::vector<std::string> OutputDeviceNames() = 0;

    // Opens the device at index. Returns null when it cannot be opened (an index
    // outside the list included) and then puts the reason into *why, if given.
    virtual std::unique_ptr<MidiInputPort> OpenInput(int index, MidiInputHandler& handler,
                                                     std::string* why = nullptr) = 0;
    virtual std::unique_ptr<MidiOutputPort> OpenOutput(int index, std::string* why = nullptr) = 0;
};

// The MIDI system of this machine (RtMidi: the ALSA sequencer or JACK).
std::unique_ptr<MidiServices> CreateSystemMidiServices();

}  // namespace ostrel
