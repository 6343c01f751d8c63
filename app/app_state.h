#pragma once
// The process-wide objects that the window works on: built once at start-up and
// alive until exit. No widgets here, so the model can be driven without a window.
#include <memory>
#include <string>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "curves/curve_library.h"
#include "midi/midi_link.h"
#include "store/file_in_use.h"
#include "store/ini_settings.h"

namespace ostrel {

class EventPump;

// The window's client in the MIDI graph.
inline constexpr const char* kMidiClientName = "Ostrel";

struct AppState {
    // midi: the MIDI system the pass-through uses (JACK, ALSA, or a fake in
    // tests). Null builds the one this machine offers.
    explicit AppState(std::unique_ptr<MidiSystem> midi = nullptr);
    ~AppState();
    AppState(const AppState&) = delete;
    AppState& operator=(const AppState&) = delete;

    CIniSettings settings;
    AssignmentTable table;
    CurrentCurves curves;
    CurveLibraries curveLibraries;  // velocity and touch libraries of named curves

    // Why no MIDI system could be built or joined, for the user; empty when it was.
    std::string midiProblem;
    // The MIDI system, the pass-through on `table` and `curves`, and the keeper
    // of Ostrel's place in the graph, as kMidiClientName.
    MidiLink link;
    // The link's parts by the names the window uses. Never null.
    PassThrough* const passThrough;  // runs on the MIDI thread
    PortKeeper* const ports;         // Ostrel's ports and the chosen connections
    // The one reader of the pass-through's queue of monitor entries and received
    // dumps (the monitor window and the dump receive dialog register with it).
    std::unique_ptr<EventPump> events;

    // The configuration file in use (the title names it).
    FileInUse fileInUse;

    // The directory that was current at start-up (the help page lives there).
    std::string programDirectory;
};

}  // namespace ostrel
