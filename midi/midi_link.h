#pragma once
// Ostrel's link into the MIDI graph: a MIDI system, the pass-through that runs
// on its MIDI thread, and the keeper that joins the graph and holds the chosen
// connections. Built in that order, each on the one before, and taken down the
// other way round: the keeper releases held notes and leaves the graph while
// the pass-through still runs, the system goes last. The window, ostrel-cli and
// the tests over JACK each hold one.
#include <memory>
#include <string>

#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/midi_system.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"

namespace ostrel {

// Which MIDI system this machine offers: OSTREL_MIDI_API ("jack", "pipewire" or
// "alsa") when set; otherwise JACK when a server answers through the libjack in
// use (jackd's, or PipeWire's: see jack_library.h), else the ALSA sequencer.
// Null with the reason in *why when the variable holds another value, or asks
// for PipeWire that cannot be had.
std::unique_ptr<MidiSystem> CreateSystemMidi(std::string* why);

// Appended to the reason why the chosen system did not open, when it was
// chosen because nothing else was there: which other system was looked for.
std::string NoMidiSystemHint(const MidiSystem& system);

struct MidiLink {
    MidiLink() = default;
    // Link() at once.
    MidiLink(std::unique_ptr<MidiSystem> midi, AssignmentTable& table, CurrentCurves& curves,
             const std::string& clientName);
    // Unlink().
    ~MidiLink();
    MidiLink(const MidiLink&) = delete;
    MidiLink& operator=(const MidiLink&) = delete;

    // Builds the pass-through over midi, translating with table and curves,
    // and the keeper that joins the graph as clientName (see Join). The
    // pass-through watches table and curves, and works out what the MIDI
    // thread reads from them, until Unlink(): they must outlive that.
    void Link(std::unique_ptr<MidiSystem> midi, AssignmentTable& table, CurrentCurves& curves,
              const std::string& clientName);
    // Joins the graph now (PortKeeper::Start). False when the system does not
    // answer, with the reason in *why (and, when the system was chosen because
    // nothing else was there, which other one was looked for); the keeper goes
    // on looking.
    bool Join(std::string* why);
    // The keeper, the pass-through and the system, in that order.
    void Unlink();

    std::unique_ptr<MidiSystem> system;
    std::unique_ptr<PassThrough> passThrough;
    std::unique_ptr<PortKeeper> keeper;
};

}  // namespace ostrel
