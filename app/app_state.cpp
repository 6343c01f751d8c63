#include "app/app_state.h"

#include "app/event_pump.h"
#include "midi/jack_midi_system.h"

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
    : link(system ? std::move(system) : SystemMidi(midiProblem), table, curves, kMidiClientName),
      passThrough(link.passThrough.get()),
      ports(link.keeper.get()),
      events(std::make_unique<EventPump>(*passThrough)) {}

// The pump goes first (it reads the queue), then the link (the keeper releases
// held notes and leaves the graph before the pass-through and the system go).
AppState::~AppState() {
    events.reset();
    link.Unlink();
}

}  // namespace ostrel
