#include "app/app_state.h"

#include "app/event_pump.h"
#include "midi/jack_midi_system.h"
#include "midi/midi_system.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"

namespace ostrel {

namespace {

// The MIDI system of this machine; JACK, which may still come, when the choice
// in the environment is not one Ostrel knows (the reason is kept for the user).
std::unique_ptr<MidiSystem> SystemMidi(std::string& problem) {
    std::unique_ptr<MidiSystem> system = CreateSystemMidi(&problem);
    return system ? std::move(system) : std::make_unique<JackMidiSystem>();
}

}  // namespace

AppState::AppState(std::unique_ptr<MidiSystem> system)
    : midi(system ? std::move(system) : SystemMidi(midiProblem)),
      passThrough(std::make_unique<PassThrough>(table, curves, *midi)),
      ports(std::make_unique<PortKeeper>(*midi, *passThrough, kMidiClientName)),
      events(std::make_unique<EventPump>(*passThrough)) {}

// The pump goes first (it reads the queue), then the keeper (it releases held
// notes and leaves the graph), then the pass-through and the MIDI system.
AppState::~AppState() {
    events.reset();
    ports.reset();
    passThrough.reset();
    midi.reset();
}

}  // namespace ostrel
