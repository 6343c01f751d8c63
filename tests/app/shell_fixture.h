#pragma once
// A program state for shell tests: settings in a fresh folder, fake MIDI devices.
#include <memory>

#include "app/app_state.h"
#include "support/fake_midi_system.h"
#include "support/temp_dir.h"

namespace ostrel::test {

struct ShellState {
    ShellState(std::vector<std::string> inputs = {"Fake Keyboard", "Second In"},
               std::vector<std::string> outputs = {"Fake Synth", "Second Out"}) {
        auto system = std::make_unique<FakeMidiSystem>(std::move(inputs), std::move(outputs));
        midi = system.get();
        state = std::make_unique<AppState>(std::move(system));
        state->settings.SetPath(dir.file("Ostrel.ini"));
        state->programDirectory = dir.path();
    }

    TempDir dir;
    FakeMidiSystem* midi = nullptr;  // owned by the state
    std::unique_ptr<AppState> state;
};

}  // namespace ostrel::test
