#include "midi/midi_system.h"

#include <cstdlib>
#include <cstring>

#include "midi/alsa_midi_system.h"
#include "midi/jack_midi_system.h"

namespace ostrel {

std::unique_ptr<MidiSystem> CreateSystemMidi(std::string* why) {
    if (const char* chosen = std::getenv("OSTREL_MIDI_API"); chosen != nullptr && *chosen) {
        if (std::strcmp(chosen, "jack") == 0) return std::make_unique<JackMidiSystem>();
        if (std::strcmp(chosen, "alsa") == 0) return std::make_unique<AlsaMidiSystem>();
        if (why != nullptr)
            *why = std::string("OSTREL_MIDI_API is '") + chosen + "'; valid values: jack, alsa";
        return nullptr;
    }
    if (JackMidiSystem::ServerAnswers()) return std::make_unique<JackMidiSystem>();
    if (AlsaMidiSystem::SequencerPresent()) return std::make_unique<AlsaMidiSystem>();
    // Neither answers now: JACK, whose server may still come (Ostrel looks for
    // it again every two seconds).
    return std::make_unique<JackMidiSystem>();
}

std::string NoMidiSystemHint(const MidiSystem& system) {
    const char* chosen = std::getenv("OSTREL_MIDI_API");
    if (chosen != nullptr && *chosen) return "";
    if (std::strcmp(system.Name(), "JACK") != 0 || AlsaMidiSystem::SequencerPresent()) return "";
    return ", and there is no ALSA sequencer (/dev/snd/seq cannot be opened)";
}

}  // namespace ostrel
