#pragma once
// What a bulk dump means for an assignment table: for each of the nineteen
// controls that the dump sets, the control change the control will send once
// the keyboard has taken the dump, and what Ostrel then does with it. Each line
// comes from running that very message through the translation engine, so it
// always says what the pass-through will do.
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "core/assignment_table.h"
#include "core/translation_engine.h"
#include "sysex/bulk_dump.h"

namespace ostrel {

// Why a line wants the user's attention before the dump is sent.
enum DumpMark : uint8_t {
    kLeavesOwnEntry = 1,     // the control's own box on the main form no longer acts on it
    kTakenByOtherEntry = 2,  // the box of another control acts on it
    kChangesSynthState = 4,  // the synth gets bank select, a reset, local control or a mode change
    kNoNumber = 8,           // the dump ends before the field, or its byte is a status byte
};

struct DumpLine {
    const DumpField* field = nullptr;
    Entry own = Entry::KNOB01;  // the entry of the control's own box
    // The field's byte: the controller number the control will send when it is
    // 0..127; -1 when the dump ends before the field.
    int number = -1;
    int channel = 0;             // 0..15, the channel the control sends on
    ShortMessage sent;           // the control change it sends; none without a number
    TranslatedShort translated;  // what the engine makes of it
    uint8_t marks = 0;           // DumpMark bits
};

using DumpMeaning = std::array<DumpLine, kDumpFieldCount>;

// The lines of a dump (its bytes, of any length) against table, in the order
// of the dialogs' fields.
DumpMeaning ReadDumpMeaning(const uint8_t* bytes, size_t length, const AssignmentTable& table);

bool AnyMarked(const DumpMeaning& meaning);

// A line in words, a text for each column of the dialogs' view.
struct DumpLineTexts {
    std::string control;     // "Knob1"
    std::string sends;       // "011", empty when the control sends no control change
    std::string channel;     // "1" .. "16"
    std::string entry;       // "KNOB01", empty when no entry recognises it
    std::string action;      // "replaced by controller 7", "passed", "suppressed", ...
    std::string controller;  // name of the controller it sends: "Expression Controller"
    std::string marks;       // why it is marked, empty when it is not
};
DumpLineTexts DescribeDumpLine(const DumpLine& line);

// The line as ostrel-cli prints it: the columns in that order, "!" before the marks.
std::string DumpLineText(const DumpLine& line);

}  // namespace ostrel
