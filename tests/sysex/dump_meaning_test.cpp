// What a bulk dump means for the table: each control's line is what the engine
// does with the control change it will send, and the lines that need a look are marked.
#include "sysex/dump_meaning.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "curves/current_curve.h"

namespace ostrel {
namespace {

// The numbers the controls send out of the box, by which the engine knows them
// (the Tempo knob's timing clock has none: Knob8 gets a number no entry takes).
const int kFactory[] = {64, 2, 74, 71, 73, 72, 10, 91, 93, 3, 39, 7, 7, 7, 7, 7, 7, 7, 7};
const char* const kAllOwn =
    "SUSTAIN BC KNOB01 KNOB02 KNOB03 KNOB04 KNOB05 KNOB06 KNOB07 - VOLM "
    "VOL01 VOL02 VOL03 VOL04 VOL05 VOL06 VOL07 VOL08";

// Per field: the recognising entry or "-", then "/" and the marks: L leaves its
// own entry, O another control's entry, S synth state. The template's lines are
// all given; a factory dump with one field changed gives that field's line.
const struct {
    int field, number;  // field -1: the template
    Entry entry;        // set to code in a default table
    const char* code;
    const char* lines;
} kCases[] = {
    {-1, 0, Entry::CHANEL, "***",
     "CONTROL/LO BC CONTROL/LO BC/LO -/LS -/LS CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/O "
     "CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO CONTROL/LO "
     "CONTROL/LO"},
    {0, 64, Entry::CHANEL, "***", "SUSTAIN"},  // every control its own entry's
    {2, 7, Entry::CHANEL, "***", "VOL01/LO"},  // Knob1 sends 7 on channel 1
    {2, 7, Entry::VOL01, "011", "VOL01/LO"},
    {2, 74, Entry::KNOB01, "000", "KNOB01/S"},
    {9, 74, Entry::CHANEL, "***", "KNOB01/O"},  // Knob8 cannot leave the Tempo knob's entry
};

std::vector<std::string> Words(const char* text) {
    std::istringstream in(text);
    std::vector<std::string> words;
    for (std::string w; in >> w;) words.push_back(w);
    return words;
}

TEST(DumpMeaningTest, EachLineIsWhatTheEngineDoesWithTheControlsMessage) {
    for (const auto& c : kCases) {
        SCOPED_TRACE(c.lines);
        std::vector<uint8_t> dump;
        HexTextToByteVector(kDumpTemplateText, dump);
        std::vector<std::string> expected = Words(c.field < 0 ? c.lines : kAllOwn);
        if (c.field >= 0) {
            for (int i = 0; i < kDumpFieldCount; ++i) dump[kDumpFields[i].offset] = kFactory[i];
            dump[kDumpFields[c.field].offset] = c.number;
            expected[c.field] = c.lines;
        }
        AssignmentTable table;
        table.Set(c.entry, c.code);

        const DumpMeaning meaning = ReadDumpMeaning(dump.data(), dump.size(), table);
        const CurrentCurves curves;
        TranslationEngine engine(table, curves);
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
            if (line.marks & kLeavesOwnEntry) said += "L";
            if (line.marks & kTakenByOtherEntry) said += "O";
            if (line.marks & kChangesSynthState) said += "S";
            EXPECT_EQ(said, expected[i]);
        }
    }
}

}  // namespace
}  // namespace ostrel
