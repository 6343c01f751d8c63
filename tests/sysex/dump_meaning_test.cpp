// What a bulk dump means for the table: each control's line is what the engine
// does with the control change it will send, and the lines that need a look are marked.
#include "sysex/dump_meaning.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "curves/current_curve.h"

namespace ostrel {
namespace {

constexpr uint8_t L = kLeavesOwnEntry, O = kTakenByOtherEntry, S = kChangesSynthState;
constexpr int8_t None = kNoEntry;
constexpr int8_t E(Entry e) { return static_cast<int8_t>(e); }

struct Expected {
    int8_t entry;
    uint8_t marks;
};

struct Case {
    const char* name;
    std::vector<std::pair<int, int>> fields;  // field index, number; the rest as in the template
    std::vector<std::pair<Entry, const char*>> codes;  // the rest at the defaults
    std::array<Expected, kDumpFieldCount> lines;       // in field order
};

// The numbers each control sends out of the box, which the engine knows it by
// (the Tempo knob's timing clock has no number: Knob8 gets one nobody takes).
const std::vector<std::pair<int, int>> kFactory = {
    {0, 64},  {1, 2},  {2, 74}, {3, 71}, {4, 73}, {5, 72}, {6, 10}, {7, 91}, {8, 93}, {9, 3},
    {10, 39}, {11, 7}, {12, 7}, {13, 7}, {14, 7}, {15, 7}, {16, 7}, {17, 7}, {18, 7},
};
std::vector<std::pair<int, int>> FactoryWith(int field, int number) {
    auto fields = kFactory;
    fields.emplace_back(field, number);
    return fields;
}

constexpr Expected kCtl{E(Entry::CONTROL), L | O};
constexpr Expected kOwn[kDumpFieldCount] = {
    {E(Entry::SUSTAIN), 0}, {E(Entry::BC), 0},
    {E(Entry::KNOB01), 0},  {E(Entry::KNOB02), 0},
    {E(Entry::KNOB03), 0},  {E(Entry::KNOB04), 0},
    {E(Entry::KNOB05), 0},  {E(Entry::KNOB06), 0},
    {E(Entry::KNOB07), 0},  {None, 0},
    {E(Entry::VOLM), 0},    {E(Entry::VOL01), 0},
    {E(Entry::VOL02), 0},   {E(Entry::VOL03), 0},
    {E(Entry::VOL04), 0},   {E(Entry::VOL05), 0},
    {E(Entry::VOL06), 0},   {E(Entry::VOL07), 0},
    {E(Entry::VOL08), 0},
};
std::array<Expected, kDumpFieldCount> OwnWith(int field, Expected e) {
    std::array<Expected, kDumpFieldCount> lines;
    std::copy(std::begin(kOwn), std::end(kOwn), lines.begin());
    lines[field] = e;
    return lines;
}

const Case kCases[] = {
    {"template, default table",
     {},
     {},
     {{kCtl,
       {E(Entry::BC), 0},
       kCtl,
       {E(Entry::BC), L | O},
       {None, L | S},
       {None, L | S},
       kCtl,
       kCtl,
       kCtl,
       {E(Entry::CONTROL), O},
       kCtl,
       kCtl,
       kCtl,
       kCtl,
       kCtl,
       kCtl,
       kCtl,
       kCtl,
       kCtl}}},
    {"factory numbers, default table", kFactory, {}, OwnWith(0, kOwn[0])},
    {"Knob1 sends 7", FactoryWith(2, 7), {}, OwnWith(2, {E(Entry::VOL01), L | O})},
    {"Knob1 sends 7, VOL01 replaces it",
     FactoryWith(2, 7),
     {{Entry::VOL01, "011"}},
     OwnWith(2, {E(Entry::VOL01), L | O})},
    {"KNOB01 makes Knob1 a bank select",
     kFactory,
     {{Entry::KNOB01, "000"}},
     OwnWith(2, {E(Entry::KNOB01), S})},
    {"Knob8 sends 74", FactoryWith(9, 74), {}, OwnWith(9, {E(Entry::KNOB01), O})},
};

TEST(DumpMeaningTest, EachLineIsWhatTheEngineDoesWithTheControlsMessage) {
    for (const Case& c : kCases) {
        SCOPED_TRACE(c.name);
        std::vector<uint8_t> dump;
        HexTextToByteVector(kDumpTemplateText, dump);
        for (const auto& [field, number] : c.fields)
            dump[kDumpFields[field].offset] = static_cast<uint8_t>(number);
        AssignmentTable table;
        for (const auto& [entry, code] : c.codes) table.Set(entry, code);

        const DumpMeaning meaning = ReadDumpMeaning(dump.data(), dump.size(), table);
        const CurrentCurves curves;
        TranslationEngine engine(table, curves);
        for (int i = 0; i < kDumpFieldCount; ++i) {
            const DumpLine& line = meaning[i];
            SCOPED_TRACE(kDumpFields[i].label);
            // Fader1 to Fader8 send on channels 1 to 8, everything else on channel 1.
            const int channel = i >= 11 ? i - 11 : 0;
            const int number = dump[kDumpFields[i].offset];
            ASSERT_EQ(line.sent,
                      MakeShort(uint8_t(0xB0 | channel), uint8_t(number), line.sent.bytes[2]));
            const TranslatedShort engineSays = engine.TranslateMessage(line.sent);
            EXPECT_EQ(line.translated.message, engineSays.message);
            EXPECT_EQ(line.translated.decision.entry, engineSays.decision.entry);
            EXPECT_EQ(line.translated.decision.entry, c.lines[i].entry);
            EXPECT_EQ(line.marks, c.lines[i].marks);
        }
        bool marked = false;
        for (const Expected& e : c.lines) marked = marked || e.marks != 0;
        EXPECT_EQ(AnyMarked(meaning), marked);
    }
}

}  // namespace
}  // namespace ostrel
