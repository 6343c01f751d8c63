// The assignment table's defaults, how list items set it, and how codes read.
#include "core/assignment_table.h"

#include <gtest/gtest.h>

#include <cstring>

namespace ostrel {
namespace {

std::string Code(const AssignmentCode& c) { return std::string(c.text); }

// The fourth byte of a cell, as stored (byte 3 in memory order).
char FourthByte(uint32_t cell) {
    char c[4];
    std::memcpy(c, &cell, 4);
    return c[3];
}

TEST(AssignmentTableTest, DefaultsAfterReset) {
    AssignmentTable table;
    table.Set(Entry::KNOB01, "007");
    table.Set(Entry::REC, "***");
    table.SetNote(60, "064");
    table.SetNote(200, "###");
    table.Set(Entry::CURVE, "003");
    table.ResetToDefaults();

    EXPECT_EQ(Code(table.Get(Entry::KNOB01)), "***");
    EXPECT_EQ(Code(table.Get(Entry::REC)), "114");
    EXPECT_EQ(Code(table.Get(Entry::PLAY)), "119");
    EXPECT_EQ(Code(table.Get(Entry::RTZ)), "115");
    EXPECT_EQ(Code(table.Get(Entry::REW)), "116");
    EXPECT_EQ(Code(table.Get(Entry::FF)), "117");
    EXPECT_EQ(Code(table.Get(Entry::STOP)), "118");
    EXPECT_EQ(Code(table.Get(Entry::CHANEL)), "***");
    EXPECT_EQ(Code(table.Get(Entry::CURVE)), "***");
    EXPECT_EQ(Code(table.Get(Entry::TOUCH)), "***");
    for (int i = 0; i < kNoteMapSize; ++i) {
        EXPECT_EQ(table.RawNoteCell(i), 0x2A2A2A2Au) << i;  // "****"
    }
    EXPECT_EQ(Code(table.GetNote(60)), "***");
}

TEST(AssignmentTableTest, ListItemsStoreTheirFirstThreeCharacters) {
    AssignmentTable table;
    table.Set(Entry::KNOB01, "007     --Channel Volume");
    EXPECT_EQ(Code(table.Get(Entry::KNOB01)), "007");
    table.Set(Entry::KNOB01, "###     --Off");
    EXPECT_EQ(Code(table.Get(Entry::KNOB01)), "###");
    table.Set(Entry::VOLM, "127     -Poly mode on");
    EXPECT_EQ(Code(table.Get(Entry::VOLM)), "127");

    // Key Octave 5, key lists C and B; Key Octave 10, key list G.
    table.SetNote(NoteIndex(5, 0), "064     --Sustain");
    table.SetNote(NoteIndex(5, 11), "###     --Off");
    table.SetNote(NoteIndex(10, 7), "001     --Modulation");
    EXPECT_EQ(Code(table.GetNote(60)), "064");
    EXPECT_EQ(Code(table.GetNote(71)), "###");
    EXPECT_EQ(Code(table.GetNote(127)), "001");
    EXPECT_EQ(Code(table.GetNote(61)), "***");
}

TEST(AssignmentTableTest, WritingACodeKeepsTheFourthByte) {
    AssignmentTable table;
    EXPECT_EQ(FourthByte(table.RawEntryCell(Entry::KNOB01)), '*');
    EXPECT_EQ(FourthByte(table.RawEntryCell(Entry::REC)), '*');
    table.Set(Entry::KNOB01, "007     --Channel Volume");
    EXPECT_EQ(FourthByte(table.RawEntryCell(Entry::KNOB01)), '*');
    table.SetNote(60, "064");
    EXPECT_EQ(FourthByte(table.RawNoteCell(60)), '*');
    // The code read back is exactly three characters.
    EXPECT_EQ(std::strlen(table.Get(Entry::KNOB01).text), 3u);
}

TEST(AssignmentTableTest, CopyFromPublishesEveryCell) {
    AssignmentTable staging;
    staging.Set(Entry::CHANEL, "010");
    staging.SetNote(255, "099");
    staging.Set(Entry::TOUCH, "002");
    AssignmentTable live;
    live.CopyFrom(staging);
    EXPECT_EQ(Code(live.Get(Entry::CHANEL)), "010");
    EXPECT_EQ(Code(live.GetNote(255)), "099");
    EXPECT_EQ(Code(live.Get(Entry::TOUCH)), "002");
    EXPECT_EQ(Code(live.Get(Entry::PLAY)), "119");
}

TEST(AssignmentCodeTest, ListPositions) {
    const auto code = [](const char* s) { return AssignmentCode::FromText(s); };
    EXPECT_EQ(CodeToListPosition(code("###")), 0);
    EXPECT_EQ(CodeToListPosition(code("***")), 1);
    EXPECT_EQ(CodeToListPosition(code("000")), 2);
    EXPECT_EQ(CodeToListPosition(code("064")), 66);
    EXPECT_EQ(CodeToListPosition(code("127")), 129);
    EXPECT_EQ(CodeToListPosition(code("07")), 9);  // as a hand-edited file holds it
    // Codes no list holds have no position.
    EXPECT_EQ(CodeToListPosition(code("128")), -1);
    EXPECT_EQ(CodeToListPosition(code("ab")), -1);
    EXPECT_EQ(CodeToListPosition(code("1x")), -1);

    EXPECT_EQ(NoteIndex(5, 0), 60);
    EXPECT_EQ(NoteIndex(5, 11), 71);
    EXPECT_EQ(NoteIndex(10, 7), 127);
}

TEST(AssignmentTableTest, EntryNamesAndDefaults) {
    EXPECT_STREQ(EntryName(Entry::KNOB01), "KNOB01");
    EXPECT_STREQ(EntryName(Entry::VOL16), "VOL16");
    EXPECT_STREQ(EntryName(Entry::DRAWBARM), "DRAWBARM");
    EXPECT_STREQ(EntryName(Entry::CHANEL), "CHANEL");
    EXPECT_STREQ(EntryName(Entry::TOUCH), "TOUCH");
    EXPECT_STREQ(EntryName(Entry::CURVE), "CURVE");
    EXPECT_EQ(static_cast<int>(Entry::CHANEL), kControlEntryCount - 1);
    EXPECT_STREQ(EntryDefault(Entry::STOP), "118");
    EXPECT_STREQ(EntryDefault(Entry::GMON), "***");
}

}  // namespace
}  // namespace ostrel
