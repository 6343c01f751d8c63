#include "midi/midi_link.h"

#include <cstdlib>
#include <cstring>
#include <utility>

#include "midi/alsa_midi_system.h"
#include "midi/jack_library.h"
#include "midi/jack_midi_system.h"

namespace ostrel {
namespace {

std::unique_ptr<MidiSystem> PipeWireAsChosen(std::string* why) {
    if (OnPipeWireJack()) return std::make_unique<JackMidiSystem>();
    if (why != nullptr)
        *why = PipeWireJackFolder().empty()
                   ? "OSTREL_MIDI_API is 'pipewire', but PipeWire's JACK library is not "
                     "installed (package pipewire-jack)"
                   : "OSTREL_MIDI_API is 'pipewire', but PipeWire's JACK library could not be "
                     "loaded";
    return nullptr;
}

}  // namespace

std::unique_ptr<MidiSystem> CreateSystemMidi(std::string* why) {
    if (const char* chosen = std::getenv("OSTREL_MIDI_API"); chosen != nullptr && *chosen) {
        if (std::strcmp(chosen, "jack") == 0) return std::make_unique<JackMidiSystem>();
        if (std::strcmp(chosen, "pipewire") == 0) return PipeWireAsChosen(why);
        if (std::strcmp(chosen, "alsa") == 0) return std::make_unique<AlsaMidiSystem>();
        if (why != nullptr)
            *why = std::string("OSTREL_MIDI_API is '") + chosen +
                   "'; valid values: jack, pipewire, alsa";
        return nullptr;
    }
    // A PipeWire server was looked for at start (RestartOnPipeWireJackWhenWanted):
    // when one runs, the libjack in use is PipeWire's by now.
    if (JackServerAnswers()) return std::make_unique<JackMidiSystem>();
    if (AlsaMidiSystem::SequencerPresent()) return std::make_unique<AlsaMidiSystem>();
    // Nothing answers now: JACK, whose server may still come (Ostrel looks for
    // it again every two seconds).
    return std::make_unique<JackMidiSystem>();
}

std::string NoMidiSystemHint(const MidiSystem& system) {
    const char* chosen = std::getenv("OSTREL_MIDI_API");
    if (chosen != nullptr && *chosen) return "";
    if (std::strcmp(system.Name(), "ALSA") == 0 || AlsaMidiSystem::SequencerPresent()) return "";
    std::string hint = ", and there is no ALSA sequencer (/dev/snd/seq cannot be opened)";
    if (!OnPipeWireJack() && PipeWireJackFolder().empty())
        hint += "; a PipeWire desktop needs the package pipewire-jack";
    return hint;
}

MidiLink::MidiLink(std::unique_ptr<MidiSystem> midi, AssignmentTable& table, CurrentCurves& curves,
                   const std::string& clientName) {
    Link(std::move(midi), table, curves, clientName);
}

MidiLink::~MidiLink() { Unlink(); }

void MidiLink::Link(std::unique_ptr<MidiSystem> midi, AssignmentTable& table, CurrentCurves& curves,
                    const std::string& clientName) {
    Unlink();
    system = std::move(midi);
    passThrough = std::make_unique<PassThrough>(table, curves, *system);
    keeper = std::make_unique<PortKeeper>(*system, *passThrough, clientName);
}

bool MidiLink::Join(std::string* why) {
    std::string reason;
    if (keeper->Start(&reason)) return true;
    if (why != nullptr) *why = reason + NoMidiSystemHint(*system);
    return false;
}

void MidiLink::Unlink() {
    keeper.reset();
    passThrough.reset();
    system.reset();
}

}  // namespace ostrel
