#pragma once
// Setlists (*.setlist): an ordered list of configuration files, the scenes of a
// set, and the MIDI messages that switch between them, in INI form:
//
//   [SETLIST]  FILE1, FILE2, ...  paths relative to the setlist's folder, or absolute
//   [TRIGGER]  PROGRAM  *** any channel, 001..016 that channel, ### never
//              NEXT, PREV  a channel message as hex ("B0 76 7F"), or empty
//              PASS        1: trigger messages are forwarded too; 0 or empty: not
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

// FILE1 .. FILE999 are looked at; an empty or missing number is no scene. Keys
// past FILE999 are named in the setlist's warning.
inline constexpr int kMaxSetlistFiles = 999;
// A scene's path is read whole up to the longest path the system takes; a cut
// path would name another file.
inline constexpr size_t kMaxScenePathLength = 4096;

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
    // Empty, or one line that names every key the reader did not use (unknown,
    // misspelt as FILE01, given twice, past FILE999) and says the scene limit
    // when it was passed.
    std::string warning;
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

// NEXT and PREV as text: "" (no trigger) or one complete channel message in hex
// (status 80 to EF: a clock or a reset would switch many times a beat), blanks
// allowed. False when the text is neither.
inline constexpr const char* kTriggerRule =
    "a trigger is one channel message in hex (status 80 to EF), such as B0 76 7F";
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
    std::string warning;  // see Setlist
};

// A scene's place among count as the user reads it: "2/7" for index 1 of 7.
std::string SceneNumber(int index, int count);
// "scene 2/7: organ.cfg", or without a file "scene 2/7".
std::string SceneName(int index, int count, const std::string& file);

// Reads a setlist and every scene's table. A name that is not UTF-8 and names no
// file is also looked up as Windows-1252 turned into UTF-8 (a setlist and its
// files copied from Windows); the scene then has that name. A file that cannot
// be read is named in skipped (bytes that are no UTF-8 as \xHH) and has no
// scene. False, with the reason in why, when the setlist itself cannot be read.
bool LoadSetlist(const std::string& path, LoadedSetlist& loaded, std::string* why = nullptr);

}  // namespace ostrel
