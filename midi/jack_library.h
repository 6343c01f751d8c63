#pragma once
// Which libjack this process runs on, whether a server answers through it, and
// the switch to PipeWire's. Debian's libjack is jackd's; PipeWire ships a
// libjack of its own in a folder of its own, which `pw-jack` puts first on
// LD_LIBRARY_PATH. On a desktop that runs PipeWire and no jackd, Ostrel starts
// itself again, once, with that folder first, as pw-jack would have: the
// dynamic loader picks a library only at start, and one process cannot hold
// both libjacks (they share every symbol).
#include <string>

namespace ostrel {

// True when the libjack loaded in this process is PipeWire's.
bool OnPipeWireJack();

// libjack prints its own complaints (no server, a failed connect) on stderr;
// after this it does not, and Ostrel says what went wrong in its own words.
void QuietJack();

// Whether a JACK server answers right now through the libjack in use (it is
// never started for us).
bool JackServerAnswers();

// The folder that holds PipeWire's libjack, or empty when it is not installed.
std::string PipeWireJackFolder();

// Whether a PipeWire server runs for this user: its socket (PIPEWIRE_REMOTE,
// else pipewire-0 in PIPEWIRE_RUNTIME_DIR or XDG_RUNTIME_DIR) takes a connection.
bool PipeWireRuns();

// Called first in main(), before anything else happens; keeps argv for a start
// again later (RestartOnPipeWireJack). Starts the program
// again on PipeWire's libjack when OSTREL_MIDI_API is "pipewire", or when it is
// unset, no JACK server answers through the libjack in use, a PipeWire server
// runs and PipeWire's libjack is installed. Returns when the program goes on
// as it is (also when starting again failed: then the usual order applies).
void RestartOnPipeWireJackWhenWanted(char** argv);

// Asked while no server answers: true when a PipeWire server runs for the user
// now, its libjack is installed and not the one in use, no JACK server answers
// and OSTREL_MIDI_API is unset: PipeWire was started after this program.
bool PipeWireStartedSince();
// Starts the program again, with the arguments it had, on PipeWire's libjack.
// Returns only when that failed.
void RestartOnPipeWireJack();

}  // namespace ostrel
