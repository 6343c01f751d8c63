#pragma once
// The MIDI system through RtMidi 5: the ALSA sequencer when /dev/snd/seq can be
// opened, else JACK; the environment variable OSTREL_MIDI_API ("alsa" or "jack")
// decides instead when set. Only this file and its .cpp know RtMidi.
//
// Each open port is its own RtMidi client: the input is client "Ostrel in" with
// port "in", the output client "Ostrel out" with port "out" (another prefix than
// "Ostrel" may be given, so that test runs tell their clients apart; the MIDI
// system may add a number to a client name in use). With JACK the device
// lists are the other clients' MIDI ports ("client:port"); opening device i
// creates our port and connects it to port i of that list.
#include <string>

#include "midi/midi_services.h"

namespace ostrel {

enum class MidiApi { Alsa, Jack };

inline constexpr const char* kClientPrefix = "Ostrel";
inline constexpr const char* kInputPortName = "in";
inline constexpr const char* kOutputPortName = "out";

// OSTREL_MIDI_API if it says "alsa" or "jack"; otherwise ALSA when its sequencer
// device can be opened, else JACK.
MidiApi ChooseMidiApi();

class RtMidiServices final : public MidiServices {
  public:
    explicit RtMidiServices(MidiApi api, const std::string& clientPrefix = kClientPrefix)
        : api_(api), inputClient_(clientPrefix + " in"), outputClient_(clientPrefix + " out") {}
    MidiApi Api() const { return api_; }
    const std::string& InputClientName() const { return inputClient_; }
    const std::string& OutputClientName() const { return outputClient_; }

    std::vector<std::string> InputDeviceNames() override;
    std::vector<std::string> OutputDeviceNames() override;
    std::unique_ptr<MidiInputPort> OpenInput(int index, MidiInputHandler& handler,
                                             std::string* why = nullptr) override;
    std::unique_ptr<MidiOutputPort> OpenOutput(int index, std::string* why = nullptr) override;

  private:
    MidiApi api_;
    std::string inputClient_, outputClient_;
};

}  // namespace ostrel
