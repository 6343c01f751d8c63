#include "app/app_state.h"

#include "app/event_pump.h"
#include "midi/midi_services.h"
#include "midi/pass_through.h"

namespace ostrel {

namespace {
AppState* g_app = nullptr;
}  // namespace

AppState::AppState(std::unique_ptr<MidiServices> services)
    : midi(services ? std::move(services) : CreateSystemMidiServices()),
      passThrough(std::make_unique<PassThrough>(table, curves, *midi)),
      events(std::make_unique<EventPump>(*passThrough)) {}

// The pump goes first (it reads the queue), then the pass-through (it closes the
// ports), then the MIDI services that the ports belong to.
AppState::~AppState() {
    events.reset();
    passThrough.reset();
    midi.reset();
}

AppState& App() { return *g_app; }
bool HasApp() { return g_app != nullptr; }
void InstallApp(AppState* state) { g_app = state; }

}  // namespace ostrel
