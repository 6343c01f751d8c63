// The settings file Ostrel.ini: its path, reading values by the buffer rules,
// numbers, refused writes, and one write of many values.
#include "store/ini_settings.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::ScopedCwd;
using test::TempDir;

class IniSettingsTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini"))); }
    std::string FileText() const { return TempDir::Read(dir.file("Ostrel.ini")); }

    TempDir dir;
    CIniSettings settings;
};

TEST_F(IniSettingsTest, InitPathIsTheCurrentFolderAndDoesNotFollowLaterChanges) {
    CIniSettings s;
    {
        ScopedCwd cwd(dir.path());
        ASSERT_TRUE(s.InitPath());
    }
    const std::string expected = std::filesystem::canonical(dir.path()).string() + "/Ostrel.ini";
    EXPECT_EQ(std::string(s.Path()), expected);
    ASSERT_EQ(s.WriteValue("MONITOR", "STATE", "1"), StoreResult::Ok);
    EXPECT_EQ(TempDir::Read(expected), "[MONITOR]\nSTATE=1\n");
}

TEST_F(IniSettingsTest, PathsThatDoNotFit255CharactersAreRefused) {
    CIniSettings s;
    EXPECT_FALSE(s.SetPath("/" + std::string(255, 'p')));
    EXPECT_STREQ(s.Path(), "");
    EXPECT_TRUE(s.SetPath("/" + std::string(254, 'p')));
    // A current folder too deep for "/Ostrel.ini" leaves the path empty.
    std::string deep = dir.path();
    while (deep.size() < 250) deep += "/" + std::string(40, 'd');
    std::filesystem::create_directories(deep);
    ScopedCwd cwd(deep);
    EXPECT_FALSE(s.InitPath());
    EXPECT_STREQ(s.Path(), "");
    char buffer[kTextBufferSize];
    EXPECT_EQ(s.ReadValue("A", "B", buffer), 0);
    EXPECT_EQ(s.WriteValue("A", "B", "1"), StoreResult::IoFailure);
}

TEST_F(IniSettingsTest, NoFileReadsEmptyZeroAndOff) {
    char buffer[kTextBufferSize];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(settings.ReadValue("DEVNAME", "MIDIIN", buffer), 0);
    EXPECT_EQ(buffer[0], '\0');
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIIN"), 0);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIOUT"), 0);
    EXPECT_EQ(settings.ReadString("MONITOR", "STATE"), "");
    EXPECT_FALSE(std::filesystem::exists(dir.file("Ostrel.ini")));  // reading creates nothing
}

TEST_F(IniSettingsTest, ReadValueCopiesAtMost255CharactersAndANul) {
    TempDir::Write(dir.file("Ostrel.ini"), "[SYSTEM]\nFULLNAME=" + std::string(400, 'f') + "\n");
    char buffer[kTextBufferSize + 8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(settings.ReadValue("system", "fullname", buffer), 255);
    EXPECT_EQ(std::string(buffer), std::string(255, 'f'));
    EXPECT_EQ(buffer[256], 'x');  // nothing past the 256 bytes
}

TEST_F(IniSettingsTest, AValueEndsAtANulByteAndItsCountSaysSo) {
    TempDir::Write(dir.file("Ostrel.ini"), std::string("[CURVE]\nNAME00=ab\0cd\n", 21));
    char buffer[kTextBufferSize];
    const int count = settings.ReadValue("CURVE", "NAME00", buffer);
    EXPECT_EQ(count, 2);
    EXPECT_EQ(count, static_cast<int>(std::strlen(buffer)));
    EXPECT_STREQ(buffer, "ab");
}

TEST_F(IniSettingsTest, NumbersAndFlagsRoundTrip) {
    ASSERT_EQ(settings.WriteInt("DEVNAME", "MIDIIN", -1), StoreResult::Ok);
    ASSERT_EQ(settings.WriteInt("DEVNAME", "MIDIOUT", 12), StoreResult::Ok);
    ASSERT_EQ(settings.WriteValue("MONITOR", "STATE", "1"), StoreResult::Ok);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIIN"), -1);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIOUT"), 12);
    EXPECT_EQ(FileText(), "[DEVNAME]\nMIDIIN=-1\nMIDIOUT=12\n[MONITOR]\nSTATE=1\n");
    ASSERT_EQ(settings.WriteInt("DEVNAME", "MIDIIN", 0), StoreResult::Ok);
    EXPECT_EQ(FileText(), "[DEVNAME]\nMIDIIN=0\nMIDIOUT=12\n[MONITOR]\nSTATE=1\n");
}

TEST_F(IniSettingsTest, TextBeyondTheBuffersIsRefusedAndNothingWritten) {
    ASSERT_EQ(settings.WriteValue("SYSTEM", "FILENAME", "a.cfg"), StoreResult::Ok);
    const std::string before = FileText();
    EXPECT_EQ(settings.WriteValue("SYSTEM", "FULLNAME", std::string(256, 'f').c_str()),
              StoreResult::TooLong);
    EXPECT_EQ(settings.WriteValue(std::string(256, 'S').c_str(), "K", "v"), StoreResult::TooLong);
    EXPECT_EQ(settings.WriteValue("S", std::string(256, 'K').c_str(), "v"), StoreResult::TooLong);
    EXPECT_EQ(settings.WriteValue("SYSTEM", "FULLNAME", "a\nb"), StoreResult::InvalidText);
    EXPECT_EQ(settings.WriteValue("SYSTEM", nullptr, "v"), StoreResult::InvalidText);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(settings.WriteValue("SYSTEM", "FULLNAME", std::string(255, 'f').c_str()),
              StoreResult::Ok);
    EXPECT_EQ(settings.ReadString("SYSTEM", "FULLNAME"), std::string(255, 'f'));
}

TEST_F(IniSettingsTest, WriteIntoAHandEditedWindowsFileKeepsEverythingElse) {
    const std::string before =
        "; Ostrel settings\r\n[devname]\r\nmidiin=2\r\n\r\n[MyTool]\r\nSecret=42\r\n";
    TempDir::Write(dir.file("Ostrel.ini"), before);
    EXPECT_EQ(settings.ReadInt("DEVNAME", "MIDIIN"), 2);
    ASSERT_EQ(settings.WriteInt("DEVNAME", "MIDIIN", 5), StoreResult::Ok);
    ASSERT_EQ(settings.WriteInt("DEVNAME", "MIDIOUT", 1), StoreResult::Ok);
    EXPECT_EQ(FileText(),
              "; Ostrel settings\r\n[devname]\r\nmidiin=5\r\nMIDIOUT=1\r\n\r\n[MyTool]\r\n"
              "Secret=42\r\n");
}

TEST_F(IniSettingsTest, ManyValuesInOneWriteEqualTheSingleWrites) {
    const std::vector<CIniSettings::ValueWrite> writes = {
        {"SYSTEM", "FULLNAME", "/a/b.cfg"},
        {"SYSTEM", "FILENAME", "b.cfg"},
        {"CURVE", "NAME00", "soft"},
        {"SYSTEM", "FULLNAME", "/a/c.cfg"},
        {"CURVE", "NUMS", "1"},
    };
    TempDir::Write(dir.file("Ostrel.ini"), "[CURVE]\nNUMS=0\n");
    ASSERT_EQ(settings.WriteValues(writes), StoreResult::Ok);
    const std::string batched = FileText();

    TempDir::Write(dir.file("Ostrel.ini"), "[CURVE]\nNUMS=0\n");
    for (const auto& w : writes)
        ASSERT_EQ(settings.WriteValue(w.section.c_str(), w.key.c_str(), w.value.c_str()),
                  StoreResult::Ok);
    EXPECT_EQ(FileText(), batched);
    EXPECT_EQ(batched,
              "[CURVE]\nNUMS=1\nNAME00=soft\n[SYSTEM]\nFULLNAME=/a/c.cfg\nFILENAME=b.cfg\n");
}

TEST_F(IniSettingsTest, OneRefusedValueStopsTheWholeBatch) {
    TempDir::Write(dir.file("Ostrel.ini"), "[CURVE]\nNUMS=0\n");
    EXPECT_EQ(settings.WriteValues({{"CURVE", "NUMS", "1"}, {"CURVE", "NAME00", "a\r\nb"}}),
              StoreResult::InvalidText);
    EXPECT_EQ(
        settings.WriteValues({{"CURVE", "NUMS", "1"}, {"CURVE", "NAME00", std::string(300, 'n')}}),
        StoreResult::TooLong);
    EXPECT_EQ(FileText(), "[CURVE]\nNUMS=0\n");
}

TEST_F(IniSettingsTest, ExistingFileThatCannotBeReadIsNotOverwritten) {
    std::filesystem::create_directory(dir.file("Ostrel.ini"));
    TempDir::Write(dir.file("Ostrel.ini/keep"), "x");
    EXPECT_EQ(settings.WriteValue("A", "B", "1"), StoreResult::IoFailure);
    EXPECT_EQ(TempDir::Read(dir.file("Ostrel.ini/keep")), "x");
    EXPECT_EQ(settings.ReadString("A", "B"), "");
}

// What is no settings file is refused with its reason, without waiting (a pipe
// with no writer) and without reading a device: it reads as empty and is never
// written over. Every write that fails reaches the listener with its reason.
TEST_F(IniSettingsTest, SpecialFilesAreRefusedAndFailedWritesSayWhy) {
    std::vector<std::string> said;
    settings.OnWriteFailure([&](const std::string& why) { said.push_back(why); });
    ASSERT_EQ(::mkfifo(dir.file("pipe.ini").c_str(), 0600), 0);
    std::filesystem::create_symlink("/dev/zero", dir.file("zero.ini"));
    TempDir::Write(dir.file("big.ini"), "[MONITOR]\nSTATE=1\n" + std::string(1 << 20, ';'));
    const std::pair<const char*, const char*> cases[] = {
        {"pipe.ini", "not a regular file"},
        {"zero.ini", "not a regular file"},
        {"big.ini", "larger than 1 MB"},
        {"no-folder/Ostrel.ini", ""},  // absent: reads as empty, no problem
    };
    for (const auto& [name, reason] : cases) {
        ASSERT_TRUE(settings.SetPath(dir.file(name)));
        EXPECT_EQ(settings.ReadProblem(), reason) << name;
        EXPECT_EQ(settings.ReadString("MONITOR", "STATE"), "") << name;
        said.clear();
        EXPECT_EQ(settings.WriteValue("MONITOR", "STATE", "0"), StoreResult::IoFailure) << name;
        const std::string expected = *reason ? reason : "No such file or directory";
        EXPECT_EQ(settings.LastFailure(), expected) << name;
        EXPECT_EQ(said, std::vector<std::string>{expected}) << name;
    }
    EXPECT_EQ(std::filesystem::file_size(dir.file("big.ini")), (1u << 20) + 18);
    ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini")));
    said.clear();
    EXPECT_EQ(settings.WriteValue("MONITOR", "STATE", "1"), StoreResult::Ok);
    EXPECT_EQ(settings.LastFailure(), "");
    EXPECT_TRUE(said.empty());
}

// A settings file in UTF-16 (Windows' profile functions) reads, and a write
// keeps it UTF-16 of the same byte order with every other line as it was.
TEST_F(IniSettingsTest, Utf16SettingsAreReadAndWrittenBackInUtf16) {
    const auto utf16le = [](const std::u16string& text) {
        std::string bytes = "\xFF\xFE";
        for (const char16_t c : text)
            bytes += {static_cast<char>(c & 0xFF), static_cast<char>(c >> 8)};
        return bytes;
    };
    TempDir::Write(dir.file("Ostrel.ini"),
                   utf16le(u"[SYSTEM]\r\nFILENAME=Jos\u00E9.cfg\r\n; \U0001F3B9 \xD800\r\n"));
    EXPECT_EQ(settings.ReadString("SYSTEM", "FILENAME"), "Jos\xC3\xA9.cfg");
    ASSERT_EQ(settings.WriteValue("MONITOR", "STATE", "1"), StoreResult::Ok);
    EXPECT_EQ(FileText(), utf16le(u"[SYSTEM]\r\nFILENAME=Jos\u00E9.cfg\r\n; \U0001F3B9 \xD800\r\n"
                                  u"[MONITOR]\r\nSTATE=1\r\n"));
}

}  // namespace
}  // namespace ostrel
