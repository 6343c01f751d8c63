#pragma once
// What the MIDI sub-commands of ostrel-cli share: the MIDI system of this
// machine, a pass-through on a table and curves of its own, and the keeper that
// joins the graph and holds the chosen connections.
#include <memory>
#include <string>

#include "cli/options.h"
#include "core/assignment_table.h"
#include "curves/current_curve.h"
#include "midi/midi_link.h"
#include "midi/midi_system.h"

namespace ostrel::cli {

inline constexpr const char* kDefaultClientName = "Ostrel";
// JACK's limit (jack_client_name_size() less its NUL): a longer name is never
// taken by the server, so it is refused before any wait for one.
inline constexpr size_t kMaxClientNameLength = 63;

struct MidiSession {
    AssignmentTable table;
    CurrentCurves curves;  // all 0: every value maps to itself
    MidiLink link;         // built by Join, on table and curves

    // Picks the MIDI system and joins its graph as clientName. False with one
    // line in why: an unknown OSTREL_MIDI_API (nothing else built), or no
    // server (then the keeper goes on looking, and *built is true).
    bool Join(const std::string& clientName, std::string& why, bool* built = nullptr);

    // A --in / --out value: a full port name ("client:port"), or a position
    // in today's list of that direction. False with the reason in why.
    bool Resolve(PortDirection direction, const std::string& text, std::string& device,
                 std::string& why);
    // The device Ostrel.ini in the current folder remembers, or empty. A settings
    // file that cannot be read is said once on stderr.
    std::string Remembered(PortDirection direction);

    // For a one-shot command: joins the graph as Ostrel and connects the one
    // port it needs at once: the option's port, else the remembered one (the
    // caller has made sure, with RemembersPort, that there is one). False with
    // one line in why.
    bool JoinWithPort(PortDirection direction, const char* option, std::string& why);

  private:
    bool toldSettingsProblem_ = false;
};

// Whether Ostrel.ini in the current folder remembers a device of this
// direction; known without joining the MIDI graph.
bool RemembersPort(PortDirection direction);

// What a command says when a direction has neither its option nor a
// remembered device: "no MIDI output port chosen: give --out, or choose one in
// the window".
std::string NoPortChosen(PortDirection direction);

// The check of a --in or --out value for Options.
Options::Check PortCheck(PortDirection direction);
// The check of a --name value for Options: at most kMaxClientNameLength bytes.
std::string ClientNameCheck(const char* value);

// Whether text can name a port for --in / --out: a number (-1 for none) or a
// full port name "client:port".
bool IsPortArgument(const char* text);

// "input" or "output".
const char* DirectionWord(PortDirection direction);

}  // namespace ostrel::cli
