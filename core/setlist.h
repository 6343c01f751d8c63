#pragma once
// Setlists (*.setlist): an ordered list of configuration files, the scenes of a
// set, and the MIDI messages that switch between them, in INI form:
//
//   [SETLIST]  FILE1, FILE2, ...  paths relative to the setlist's folder, or absolute
//   [TRIGGER]  PROGRAM  *** any channel, 001..016 that channel, ### never
//              NEXT, PREV  a short message as hex ("B0 76 7F"), or empty
//              PASS        1: trigger messages are forwarded too
//
// A missing key means PROGRAM=###, no NEXT or PREV, PASS=0. Every scene's table
// is read when the setlist opens, so that a switch reads no file.
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/assignment_table.h"
#include "core/short_message.h"
#include "store/store_result.h"

namespace ostrel {

// FILE1 .. FILE999 are looked at; an empty or missing number is no scene.
inline constexpr int kMaxSetlistFiles = 999;

struct SetlistTriggers {
    static constexpr int kNever = -1;
    static constexpr int kAnyChannel = 0;
    int programChannel = kNever;  // kNever, kAnyChannel or 1..16
    ShortMessage next, previous;  // matched byte for byte (length 0: none)
    bool pass = false;            // trigger messages are forwarded too
    bool operator==(const SetlistTriggers&) const = default;
};

struct Setlist {
    std::vector<std::string> files;  // as the setlist names them, in order
    SetlistTriggers triggers;
};

// What a received message asks of the scenes. Real-time safe: no allocation.
// Control: another message of a NEXT or PREV trigger's control (its release),
// part of the same gesture, which switches nothing.
struct TriggerMatch {
    enum class Action : uint8_t { None, Select, Next, Previous, Control };
    Action action = Action::None;
    int scene = 0;  // Select: the scene's index (the program number)
};
TriggerMatch MatchTrigger(const SetlistTriggers& triggers, ShortMessage message);

// NEXT and PREV as text: "" (no trigger) or one complete short message in hex,
// blanks allowed. False when the text is neither.
bool ParseTriggerMessage(const std::string& text, ShortMessage& message);

// Reads a setlist. False, with the reason in why, when the file cannot be read or
// a trigger's value is not one the setlist allows (the key is named).
bool ReadSetlist(const std::string& path, Setlist& setlist, std::string* why = nullptr);
// Writes a setlist in one crash-safe write; other lines of an existing file stay.
StoreResult WriteSetlist(const std::string& path, const Setlist& setlist);

// A file of the setlist as a path: relative names are taken from the setlist's folder.
std::string ScenePath(const std::string& setlistPath, const std::string& file);

// One scene: its file as the setlist names it, and its table, read in full.
struct Scene {
    std::string file;
    std::unique_ptr<AssignmentTable> table;
};

struct LoadedSetlist {
    std::vector<Scene> scenes;         // the files that were read, in order
    std::vector<std::string> skipped;  // one line for each file that was not
    SetlistTriggers triggers;
};

// A scene's place among count as the user reads it: "2/7" for index 1 of 7.
std::string SceneNumber(int index, int count);
// "scene 2/7: organ.cfg", or without a file "scene 2/7".
std::string SceneName(int index, int count, const std::string& file);

// Reads a setlist and every scene's table. A file that cannot be read is named in
// skipped and has no scene. False, with the reason in why, when the setlist itself
// cannot be read.
bool LoadSetlist(const std::string& path, LoadedSetlist& loaded, std::string* why = nullptr);

}  // namespace ostrel
