// What a bulk dump means for the table: each control's line is what the engine
// does with the control change it will send, and the lines that need a look are marked.
#include "sysex/dump_meaning.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "curves/current_curve.h"

namespace ostrel {
namespace {

// The numbers the controls send out of the box, by which the engine knows them
// (the Tempo knob's timing clock has none: Knob8 gets a number no entry takes).
const std::vector<int> kFactory = {64, 2, 74, 71, 73, 72, 10, 91, 93, 3,
                                   39, 7, 7,  7,  7,  7,  7,  7,  7};
const char* const kAllOwn =
    "SUSTAIN BC KNOB01 KNOB02 KNOB03 KNOB04 KNOB05 KNOB06 KNOB07 - VOLM VOL01 VOL02 VOL03 VOL04 "
    "VOL05 VOL06 VOL07 VOL08";

struct Case {
    const char* name;
    std::vector<int> numbers;            // by field; empty: the template's
    std::pair<int, int> change;          // field, number; {-1, 0}: none
    std::pair<Entry, const char*> code;  // one code set in a default table
    const char* lines;  // per field: the recognising entry or "-", then "/" and marks:
                        // L leaves its own entry, O taken by another's, S synth state
};

const Case kCases[] = {
    {"template, default table",
     {},
     {-1, 0},
     {Entry::CHANEL, "***"},
     "CONTROL/LO BC CONTROL/LO BC/LO -/LS -/LS CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/O "
     "CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO "
     "CONTROL/LO"},
    {"factory numbers", kFactory, {-1, 0}, {Entry::CHANEL, "***"}, kAllOwn},
    {"Knob1 sends 7", kFactory, {2, 7}, {Entry::CHANEL, "***"}, "VOL01/LO"},
    {"... which VOL01 replaces", kFactory, {2, 7}, {Entry::VOL01, "011"}, "VOL01/LO"},
    {"KNOB01 gives bank select", kFactory, {2, 74}, {Entry::KNOB01, "000"}, "KNOB01/S"},
    {"Knob8 sends 74", kFactory, {9, 74}, {Entry::CHANEL, "***"}, "KNOB01/O"},
};

// The expected line of every field: a case names all nineteen, or only the
// changed field's, the others being their own entry's.
std::vector<std::string> ExpectedLines(const Case& c) {
    std::istringstream all(kAllOwn), given(c.lines);
    std::vector<std::string> lines;
    for (std::string word; all >> word;) lines.push_back(word);
    std::vector<std::string> named;
    for (std::string word; given >> word;) named.push_back(word);
    if (named.size() == lines.size()) return named;
    lines[c.change.first] = named[0];
    return lines;
}

TEST(DumpMeaningTest, EachLineIsWhatTheEngineDoesWithTheControlsMessage) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> dump;
        HexTextToByteVector(kDumpTemplateText, dump);
        for (size_t i = 0; i < c.numbers.size(); ++i) dump[kDumpFields[i].offset] = c.numbers[i];
        if (c.change.first >= 0) dump[kDumpFields[c.change.first].offset] = c.change.second;
        AssignmentTable table;
        table.Set(c.code.first, c.code.second);

        const DumpMeaning meaning = ReadDumpMeaning(dump.data(), dump.size(), table);
        const std::vector<std::string> expected = ExpectedLines(c);
        const CurrentCurves curves;
        TranslationEngine engine(table, curves);
        bool anyMarked = false;
        for (int i = 0; i < kDumpFieldCount; ++i) {
            const DumpLine& line = meaning[i];
            SCOPED_TRACE(kDumpFields[i].label);
            // Fader1 to Fader8 send on channels 1 to 8, everything else on channel 1.
            const uint8_t status = 0xB0 | (i >= 11 ? i - 11 : 0);
            ASSERT_EQ(line.sent,
                      MakeShort(status, dump[kDumpFields[i].offset], line.sent.bytes[2]));
            const TranslatedShort engineSays = engine.TranslateMessage(line.sent);
            EXPECT_EQ(line.translated.message, engineSays.message);
            EXPECT_EQ(line.translated.decision.entry, engineSays.decision.entry);

            const int8_t entry = line.translated.decision.entry;
            std::string said = entry == kNoEntry ? "-" : EntryName(EntryAt(entry));
            if (line.marks) said += "/";
            for (const auto& [bit, letter] : {std::pair{kLeavesOwnEntry, 'L'},
                                              {kTakenByOtherEntry, 'O'},
                                              {kChangesSynthState, 'S'}})
                if (line.marks & bit) said += letter;
            EXPECT_EQ(said, expected[i]);
            anyMarked = anyMarked || expected[i].find('/') != std::string::npos;
        }
        EXPECT_EQ(AnyMarked(meaning), anyMarked);
    }
}

}  // namespace
}  // namespace ostrel
