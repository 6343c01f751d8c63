// Configuration files: the file a reset table gives, reading values into cells
// (defaults, cutting, short codes, case), files that cannot be read, and writes
// into existing files.
#include "core/config_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>

#include "core/assignment_table.h"
#include "store/ini_file.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

// The sections after NOTE, in the order a configuration file lists them.
const char* const kSectionOrder[] = {
    "KNOB01",   "KNOB02",   "KNOB03",   "KNOB04",   "KNOB05",   "KNOB06",   "KNOB07",
    "KNOB08",   "VOLM",     "VOL01",    "VOL02",    "VOL03",    "VOL04",    "VOL05",
    "VOL06",    "VOL07",    "VOL08",    "VOL09",    "VOL10",    "VOL11",    "VOL12",
    "VOL13",    "VOL14",    "VOL15",    "VOL16",    "DRAWBARM", "DRAWBAR1", "DRAWBAR2",
    "DRAWBAR3", "DRAWBAR4", "DRAWBAR5", "DRAWBAR6", "DRAWBAR7", "DRAWBAR8", "RTZ",
    "REW",      "FF",       "REC",      "STOP",     "PLAY",     "PITCH",    "MODULATION",
    "SUSTAIN",  "BC",       "CONTROL",  "GMON",     "GSON",     "XGON",     "ACTIVE",
    "CHANEL",   "TOUCH",    "CURVE",
};

std::string DefaultOf(const std::string& section) {
    if (section == "RTZ") return "115";
    if (section == "REW") return "116";
    if (section == "FF") return "117";
    if (section == "REC") return "114";
    if (section == "STOP") return "118";
    if (section == "PLAY") return "119";
    return "***";
}

// The whole file that File New with knob 1 set to 007 saves, built line by line.
std::string ExpectedResetFileWithKnob1() {
    std::string text = "[NOTE]\n";
    for (int n = 0; n < 255; ++n) {
        char line[32];
        std::snprintf(line, sizeof line, "DATA%02X=***\n", n);
        text += line;
    }
    for (const char* s : kSectionOrder)
        text += std::string("[") + s +
                "]\nDATA=" + (std::string(s) == "KNOB01" ? "007" : DefaultOf(s)) + "\n";
    return text;
}

class ConfigFileTest : public ::testing::Test {
  protected:
    std::string Path() const { return dir.file("midi.cfg"); }
    TempDir dir;
};

TEST_F(ConfigFileTest, ResetTableWithKnob1SavesTheExactFile) {
    AssignmentTable table;
    table.ResetToDefaults();
    table.Set(Entry::KNOB01, "007");
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    const std::string text = TempDir::Read(Path());
    EXPECT_EQ(text, ExpectedResetFileWithKnob1());
    // Spot checks of what the comparison above covers: upper-case hex keys, 255 of them.
    EXPECT_NE(text.find("DATA0A=***\nDATA0B=***\n"), std::string::npos);
    EXPECT_EQ(text.find("DATA0a"), std::string::npos);
    EXPECT_EQ(text.find("DATAFF"), std::string::npos);
    EXPECT_NE(text.find("[SUSTAIN]\nDATA=***\n[BC]\nDATA=***\n[CONTROL]"), std::string::npos);
    EXPECT_NE(text.find("[GMON]\nDATA=***\n[GSON]\nDATA=***\n[XGON]"), std::string::npos);
}

TEST_F(ConfigFileTest, SaveThenReadGivesTheSameTable) {
    AssignmentTable table;
    table.Set(Entry::CHANEL, "005");
    table.Set(Entry::CURVE, "003");
    table.Set(Entry::TOUCH, "###");
    table.Set(Entry::BC, "002");
    table.Set(Entry::CONTROL, "004");
    table.SetNote(0, "###");
    table.SetNote(60, "012");
    table.SetNote(254, "127");
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);

    AssignmentTable read;
    read.Set(Entry::KNOB05, "099");  // overwritten by the file's "***"
    ReadConfig(Path().c_str(), read);
    for (int i = 0; i < kEntryCount; ++i)
        EXPECT_EQ(read.Get(EntryAt(i)), table.Get(EntryAt(i))) << EntryName(EntryAt(i));
    for (int n = 0; n < 255; ++n) EXPECT_EQ(read.GetNote(n), table.GetNote(n)) << n;
    // With old Mac line ends (CR alone) the file reads the same.
    std::string text = TempDir::Read(Path());
    std::replace(text.begin(), text.end(), '\n', '\r');
    TempDir::Write(Path(), text);
    AssignmentTable cr;
    ASSERT_EQ(ReadConfig(Path().c_str(), cr), StoreResult::Ok);
    for (int i = 0; i < kEntryCount; ++i) EXPECT_EQ(cr.Get(EntryAt(i)), table.Get(EntryAt(i)));
}

TEST_F(ConfigFileTest, MissingSectionsGiveTheDefaults) {
    AssignmentTable table;
    table.Set(Entry::RTZ, "001");
    table.Set(Entry::KNOB01, "007");

    TempDir::Write(Path(), "[KNOB02]\nDATA=010\n[RTZ]\nDATA=\n[PLAY]\n");
    EXPECT_EQ(ReadConfig(Path().c_str(), table), StoreResult::Ok);
    EXPECT_TRUE(table.Get(Entry::KNOB02).Is("010"));
    EXPECT_TRUE(table.Get(Entry::KNOB01).Is("***"));
    EXPECT_TRUE(table.Get(Entry::RTZ).Is("115"));   // empty value
    EXPECT_TRUE(table.Get(Entry::PLAY).Is("119"));  // section without the key
    EXPECT_TRUE(table.Get(Entry::REC).Is("114"));
    TempDir::Write(Path(), "[NOTE]\nDATA3C=007\n");  // the notes alone are a table too
    EXPECT_EQ(ReadConfig(Path().c_str(), table), StoreResult::Ok);
    EXPECT_TRUE(table.GetNote(0x3C).Is("007") && table.Get(Entry::KNOB02).Is("***"));
}

// Everything that is not a configuration is refused with a reason and leaves
// the table as it was: nothing at the path, what is no regular file (a pipe
// without a writer does not hold the reader up, /dev/zero is never read), a file
// too large to be one, and files in which no section of a table is found.
TEST_F(ConfigFileTest, WhatIsNoConfigurationIsRefusedAndTheTableStays) {
    std::filesystem::create_directory(dir.file("folder.cfg"));
    ASSERT_EQ(::mkfifo(dir.file("pipe.cfg").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.cfg"));
    TempDir::Write(dir.file("big.cfg"), "[KNOB01]\nDATA=001\n" + std::string(1 << 20, ';'));
    std::string random(4096, '\0');
    for (size_t i = 0; i < random.size(); ++i) random[i] = static_cast<char>(i * 7919 % 251);
    TempDir::Write(dir.file("random.cfg"), random);
    TempDir::Write(dir.file("dump.syx"), "\xF0\x42\x30\x00\x01\x2F\x51\xF7");
    TempDir::Write(dir.file("empty.cfg"), "");
    TempDir::Write(dir.file("other.ini"), "[SYSTEM]\nFILENAME=a.cfg\n");
    const std::pair<const char*, const char*> cases[] = {
        {"absent.cfg", "No such file or directory"},
        {"folder.cfg", "not a regular file"},
        {"pipe.cfg", "not a regular file"},
        {"zero.cfg", "not a regular file"},
        {"big.cfg", "larger than 1 MB"},
        {"random.cfg", kNotAConfiguration},
        {"dump.syx", kNotAConfiguration},
        {"empty.cfg", kNotAConfiguration},
        {"other.ini", kNotAConfiguration},
    };
    for (const auto& [name, reason] : cases) {
        AssignmentTable table;
        table.Set(Entry::KNOB02, "010");
        std::string why;
        EXPECT_EQ(ReadConfig(dir.file(name).c_str(), table, &why), StoreResult::IoFailure) << name;
        EXPECT_EQ(why, reason) << name;
        EXPECT_TRUE(table.Get(Entry::KNOB02).Is("010")) << name;
    }
}

TEST_F(ConfigFileTest, ValuesAreCutToThreeAndShortOnesKeepNuls) {
    TempDir::Write(Path(),
                   "[KNOB01]\nDATA=0070\n[KNOB02]\nDATA=1\n[KNOB03]\nDATA=12\n"
                   "[CHANEL]\nDATA=" +
                       std::string(300, '9') + "\n");
    AssignmentTable table;
    ReadConfig(Path().c_str(), table);
    EXPECT_TRUE(table.Get(Entry::KNOB01).Is("007"));
    const AssignmentCode one = table.Get(Entry::KNOB02);
    EXPECT_EQ(one.text[0], '1');
    EXPECT_EQ(one.text[1], '\0');
    EXPECT_EQ(one.text[2], '\0');
    EXPECT_EQ(std::memcmp(table.Get(Entry::KNOB03).text, "12\0", 3), 0);
    EXPECT_TRUE(table.Get(Entry::CHANEL).Is("999"));

    // The one-character code is written back as "1".
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    const std::string text = TempDir::Read(Path());
    EXPECT_NE(text.find("[KNOB02]\nDATA=1\n"), std::string::npos);
    EXPECT_NE(text.find("[KNOB01]\nDATA=007\n"), std::string::npos);
}

TEST_F(ConfigFileTest, LookupsIgnoreCaseOfSectionsAndKeys) {
    TempDir::Write(Path(),
                   "[note]\r\ndata0a=012\r\nDaTa0B=013\r\n[Knob01]\r\nData=007\r\n"
                   "[chanel]\r\ndata=016\r\n");
    AssignmentTable table;
    ReadConfig(Path().c_str(), table);
    EXPECT_TRUE(table.GetNote(10).Is("012"));
    EXPECT_TRUE(table.GetNote(11).Is("013"));
    EXPECT_TRUE(table.Get(Entry::KNOB01).Is("007"));
    EXPECT_TRUE(table.Get(Entry::CHANEL).Is("016"));
}

TEST_F(ConfigFileTest, CellPast254IsNeitherReadNorWritten) {
    TempDir::Write(Path(), "[NOTE]\nDATAFF=001\n");
    AssignmentTable table;
    table.SetNote(255, "042");
    ReadConfig(Path().c_str(), table);
    EXPECT_TRUE(table.GetNote(255).Is("042"));
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    // The foreign key stays as it was.
    EXPECT_EQ(TempDir::Read(Path()).rfind("[NOTE]\nDATAFF=001\nDATA00=", 0), 0u);
}

TEST_F(ConfigFileTest, SavingOverAFileReplacesValuesInPlaceAndKeepsTheRest) {
    const std::string before =
        "; my set-up for the stage\r\n"
        "[KNOB01]\r\n"
        "DATA=005\r\n"
        "Comment=filter\r\n"
        "\r\n"
        "[Stage]\r\n"
        "Song=Intro\r\n";
    TempDir::Write(Path(), before);
    AssignmentTable table;
    table.Set(Entry::KNOB01, "074");
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    const std::string after = TempDir::Read(Path());
    const std::string head =
        "; my set-up for the stage\r\n[KNOB01]\r\nDATA=074\r\nComment=filter\r\n\r\n"
        "[Stage]\r\nSong=Intro\r\n[NOTE]\r\nDATA00=***\r\n";
    EXPECT_EQ(after.substr(0, head.size()), head);
    EXPECT_NE(after.find("DATAFE=***\r\n[KNOB02]\r\nDATA=***\r\n"), std::string::npos);
    EXPECT_EQ(after.find("[KNOB01]", head.size()), std::string::npos);  // not added twice
    const std::string tail = "[CURVE]\r\nDATA=***\r\n";
    EXPECT_EQ(after.substr(after.size() - tail.size()), tail);

    // A second save of the same table changes nothing.
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    EXPECT_EQ(TempDir::Read(Path()), after);
}

TEST_F(ConfigFileTest, OneWriteEqualsTheSingleValueChanges) {
    AssignmentTable table;
    table.Set(Entry::XGON, "010");
    table.SetNote(17, "###");
    const std::string start = "[GSON]\nDATA=001\n[Other]\nX=1\n";
    TempDir::Write(Path(), start);
    ASSERT_EQ(WriteConfig(Path().c_str(), table), StoreResult::Ok);
    const std::string batched = TempDir::Read(Path());

    IniFile single = IniFile::FromText(start);
    for (int n = 0; n < 255; ++n) {
        char key[8];
        std::snprintf(key, sizeof key, "DATA%02X", n);
        ASSERT_EQ(single.Set("NOTE", key, table.GetNote(n).text), StoreResult::Ok);
    }
    for (const char* s : kSectionOrder) {
        int index = 0;  // the entry of that name
        while (std::string(EntryName(EntryAt(index))) != s) ++index;
        ASSERT_EQ(single.Set(s, "DATA", table.Get(EntryAt(index)).text), StoreResult::Ok);
    }
    EXPECT_EQ(single.Text(), batched);
}

TEST_F(ConfigFileTest, FailedSaveKeepsTheOldFile) {
    AssignmentTable table;
    // The path names a folder: the file cannot be read, so nothing is written.
    std::filesystem::create_directory(dir.file("taken.cfg"));
    EXPECT_EQ(WriteConfig(dir.file("taken.cfg").c_str(), table), StoreResult::IoFailure);
    EXPECT_TRUE(std::filesystem::is_directory(dir.file("taken.cfg")));
    EXPECT_EQ(WriteConfig(dir.file("no/folder.cfg").c_str(), table), StoreResult::IoFailure);
    // A code holding a line break cannot be stored: refused, the old file stays.
    TempDir::Write(Path(), "[KNOB01]\nDATA=005\n");
    table.Set(Entry::KNOB03, "1\n2");
    EXPECT_EQ(WriteConfig(Path().c_str(), table), StoreResult::InvalidText);
    EXPECT_EQ(TempDir::Read(Path()), "[KNOB01]\nDATA=005\n");
}

}  // namespace
}  // namespace ostrel
