#pragma once
// An in-process MIDI system: named devices, input messages delivered by the
// caller (as the MIDI system's thread would), output recorded. Serves tests and
// any run that must not touch the machine's MIDI system.
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "midi/midi_services.h"

namespace ostrel {

class FakeMidiServices final : public MidiServices {
  public:
    struct SentMessage {
        bool isShort = false;
        std::vector<uint8_t> bytes;  // a short message with as many bytes as its status implies
        bool operator==(const SentMessage&) const = default;
    };

    FakeMidiServices(std::vector<std::string> inputs = {"Fake Keyboard"},
                     std::vector<std::string> outputs = {"Fake Synth"});

    std::vector<std::string> InputDeviceNames() override { return inputs_; }
    std::vector<std::string> OutputDeviceNames() override { return outputs_; }
    std::unique_ptr<MidiInputPort> OpenInput(int index, MidiInputHandler& handler,
                                             std::string* why = nullptr) override;
    std::unique_ptr<MidiOutputPort> OpenOutput(int index, std::string* why = nullptr) override;

    // Hands one message to the open input port's handler. False when no input is open.
    bool Deliver(const std::vector<uint8_t>& bytes);

    int OpenInputIndex() const { return openInput_; }    // -1 when closed
    int OpenOutputIndex() const { return openOutput_; }  // -1 when closed
    int InputOpenCount() const { return inputOpens_; }
    int OutputOpenCount() const { return outputOpens_; }

    // What the output ports sent, in order. Read it only while nothing sends.
    const std::vector<SentMessage>& Sent() const { return sent_; }
    void ClearSent() { sent_.clear(); }
    // Sends that overlapped another send on the same port (must stay 0).
    int OverlappingSends() const { return overlaps_.load(); }

  private:
    class InputPort;
    class OutputPort;
    void Record(bool isShort, const uint8_t* bytes, size_t length);

    std::vector<std::string> inputs_, outputs_;
    MidiInputHandler* handler_ = nullptr;
    int openInput_ = -1, openOutput_ = -1;
    int inputOpens_ = 0, outputOpens_ = 0;
    std::vector<SentMessage> sent_;
    std::atomic<int> sending_{0};
    std::atomic<int> overlaps_{0};
};

}  // namespace ostrel
