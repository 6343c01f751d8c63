// The bulk dump: template, field table, changing one byte in hex text, and .syx
// files (reading at most 256 bytes, the header test, crash-safe writing).
#include "sysex/bulk_dump.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

std::vector<uint8_t> TemplateBytes() {
    std::vector<uint8_t> bytes;
    EXPECT_EQ(HexTextToByteVector(kDumpTemplateText, bytes), HexParseResult::Ok);
    return bytes;
}

TEST(BulkDumpTest, TemplateIs59BytesWithHeaderAndEndAndNoTrailingBlank) {
    const std::vector<uint8_t> bytes = TemplateBytes();
    ASSERT_EQ(bytes.size(), 59u);
    EXPECT_TRUE(StartsWithDumpHeader(bytes.data(), bytes.size()));
    EXPECT_EQ(bytes.back(), 0xF7);
    const std::string text = kDumpTemplateText;
    EXPECT_EQ(text.size(), 59u * 3 - 1);
    EXPECT_EQ(text.substr(text.size() - 5), "0B F7");
    // Every data byte is a MIDI data byte.
    for (int i = 5; i <= 57; ++i) EXPECT_LT(bytes[i], 0x80) << i;
}

TEST(BulkDumpTest, FieldTableMatchesTheTemplateAndNamesEachControlOnce) {
    const std::vector<uint8_t> bytes = TemplateBytes();
    std::set<int> offsets, sendIds, receiveIds;
    for (const DumpField& f : kDumpFields) {
        ASSERT_LT(f.offset, 59);
        EXPECT_EQ(bytes[f.offset], f.templateValue) << f.label;
        offsets.insert(f.offset);
        sendIds.insert(f.sendListId);
        receiveIds.insert(f.receiveFieldId);
    }
    EXPECT_EQ(offsets.size(), 19u);
    EXPECT_EQ(sendIds.size(), 19u);
    EXPECT_EQ(receiveIds.size(), 19u);
    EXPECT_STREQ(kDumpFields[0].label, "Sustain");
    EXPECT_STREQ(kDumpFields[1].label, "B.C.");
    EXPECT_STREQ(kDumpFields[5].label, "Knob4");
    EXPECT_EQ(kDumpFields[5].offset, 10);
    EXPECT_EQ(kDumpFields[5].templateValue, 32);
    EXPECT_STREQ(kDumpFields[10].label, "Fader.M");
    EXPECT_EQ(kDumpFields[10].offset, 31);
    EXPECT_STREQ(kDumpFields[18].label, "Fader8");
    EXPECT_EQ(kDumpFields[18].offset, 39);
    EXPECT_EQ(kDumpFields[18].sendListId, 1100);
    EXPECT_EQ(kDumpFields[18].receiveFieldId, 1018);
}

TEST(BulkDumpTest, FieldsPastTheEndOfShortDataAreAbsent) {
    const std::vector<uint8_t> bytes = TemplateBytes();
    const DumpField& knob8 = kDumpFields[9];
    const DumpField& fader1 = kDumpFields[11];
    EXPECT_EQ(ReadDumpField(bytes.data(), 20, knob8), 11);
    EXPECT_FALSE(ReadDumpField(bytes.data(), 20, fader1).has_value());
    EXPECT_FALSE(ReadDumpField(bytes.data(), 32, fader1).has_value());
    EXPECT_EQ(ReadDumpField(bytes.data(), 33, fader1), 11);
    const uint8_t high[6] = {0xF0, 0, 0x5A, 0x52, 0x4B, 0x90};
    EXPECT_EQ(ReadDumpField(high, 6, kDumpFields[0]), 144);  // unsigned
}

TEST(BulkDumpTest, SettingAFieldChangesOnlyItsByte) {
    std::string text = kDumpTemplateText;
    ASSERT_EQ(SetDumpByte(text, 10, 74), DumpEditResult::Ok);  // Knob4
    std::string expected = std::string(kDumpTemplateText) + " ";
    expected.replace(10 * 3, 2, "4A");
    EXPECT_EQ(text, expected);

    ASSERT_EQ(SetDumpByte(text, 31, 7), DumpEditResult::Ok);  // Fader.M
    expected.replace(31 * 3, 2, "07");
    EXPECT_EQ(text, expected);
    EXPECT_EQ(text.substr(text.size() - 3), "F7 ");
}

TEST(BulkDumpTest, SettingAFieldPastTheEndOrInBadTextChangesNothing) {
    std::string shortDump = "F0 00 5A 52 4B 0B 02 0B 02 00 20 0B 0B 0B 0B 0B 02 00 20 0B ";
    const std::string before = shortDump;
    EXPECT_EQ(SetDumpByte(shortDump, 32, 7), DumpEditResult::PastEnd);
    EXPECT_EQ(shortDump, before);
    EXPECT_EQ(SetDumpByte(shortDump, 5, 300), DumpEditResult::BadValue);
    EXPECT_EQ(SetDumpByte(shortDump, -1, 3), DumpEditResult::PastEnd);
    EXPECT_EQ(shortDump, before);

    std::string odd = "F0 00 5";
    EXPECT_EQ(SetDumpByte(odd, 0, 1), DumpEditResult::BadText);
    EXPECT_EQ(odd, "F0 00 5");

    std::string longText = FormatHexText(std::vector<uint8_t>(129, 0x11).data(), 129);
    const std::string longBefore = longText;
    EXPECT_EQ(SetDumpByte(longText, 5, 1), DumpEditResult::TooLong);
    EXPECT_EQ(longText, longBefore);
    std::string fits = FormatHexText(std::vector<uint8_t>(128, 0x11).data(), 128);
    EXPECT_EQ(SetDumpByte(fits, 127, 0x22), DumpEditResult::Ok);
    EXPECT_EQ(fits.substr(fits.size() - 6), "11 22 ");
}

TEST(SyxFileTest, SavedTemplateHoldsExactly59BytesAndReadsBack) {
    TempDir dir;
    const std::string path = dir.file("midi.syx");
    ASSERT_EQ(WriteSyxFile(path, kDumpTemplateText), SyxWriteResult::Ok);
    const std::string raw = TempDir::Read(path);
    ASSERT_EQ(raw.size(), 59u);
    EXPECT_EQ(static_cast<uint8_t>(raw[0]), 0xF0);
    EXPECT_EQ(static_cast<uint8_t>(raw[58]), 0xF7);
    std::vector<uint8_t> bytes;
    ASSERT_EQ(ReadSyxFile(path, bytes), SyxReadResult::Ok);
    EXPECT_EQ(bytes, TemplateBytes());
    EXPECT_EQ(FormatHexText(bytes.data(), bytes.size()), std::string(kDumpTemplateText) + " ");
}

TEST(SyxFileTest, HeaderTestAndShortFiles) {
    TempDir dir;
    const std::string path = dir.file("x.syx");
    TempDir::Write(path, std::string("\xF0\x00\x5A\x52\x4C\x0B", 6));  // fifth byte wrong
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::BadHeader);
    EXPECT_EQ(bytes.size(), 6u);
    TempDir::Write(path, std::string("\xF0\x00\x5A\x52", 4));  // only four header bytes
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::BadHeader);
    TempDir::Write(path, "");
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::BadHeader);
    // A 20-byte dump is a dump; its faders lie past the end.
    TempDir::Write(path, std::string(reinterpret_cast<const char*>(TemplateBytes().data()), 20));
    ASSERT_EQ(ReadSyxFile(path, bytes), SyxReadResult::Ok);
    EXPECT_EQ(bytes.size(), 20u);
    EXPECT_FALSE(ReadDumpField(bytes.data(), bytes.size(), kDumpFields[11]).has_value());
    EXPECT_EQ(ReadSyxFile(dir.file("absent.syx"), bytes), SyxReadResult::ReadFailure);
    EXPECT_EQ(ReadSyxFile(dir.path(), bytes), SyxReadResult::ReadFailure);  // a folder
}

TEST(SyxFileTest, AtMost256BytesAreReadAndOver128AreTooLongForHexText) {
    TempDir dir;
    const std::string path = dir.file("big.syx");
    std::string content(reinterpret_cast<const char*>(TemplateBytes().data()), 5);
    content += std::string(395, '\x11');
    TempDir::Write(path, content);
    std::vector<uint8_t> bytes;
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::TooLong);
    EXPECT_EQ(bytes.size(), 256u);
    TempDir::Write(path, content.substr(0, 129));
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::TooLong);
    TempDir::Write(path, content.substr(0, 128));
    EXPECT_EQ(ReadSyxFile(path, bytes), SyxReadResult::Ok);
    EXPECT_EQ(bytes.size(), 128u);
}

TEST(SyxFileTest, RefusedAndFailedWritesKeepTheOldFile) {
    TempDir dir;
    const std::string path = dir.file("midi.syx");
    TempDir::Write(path, "old");
    const std::string tooLong = FormatHexText(std::vector<uint8_t>(129, 0x11).data(), 129);
    EXPECT_EQ(WriteSyxFile(path, tooLong), SyxWriteResult::TooLong);
    EXPECT_EQ(WriteSyxFile(path, "F0 0"), SyxWriteResult::BadText);
    EXPECT_EQ(TempDir::Read(path), "old");
    EXPECT_EQ(WriteSyxFile(dir.file("no/such.syx"), kDumpTemplateText),
              SyxWriteResult::WriteFailure);
    // A target that cannot be replaced (a folder) fails and leaves no temporary file.
    std::filesystem::create_directory(dir.file("folder.syx"));
    TempDir::Write(dir.file("folder.syx/x"), "x");
    EXPECT_EQ(WriteSyxFile(dir.file("folder.syx"), kDumpTemplateText),
              SyxWriteResult::WriteFailure);
    int entries = 0;
    for (const auto& e : std::filesystem::directory_iterator(dir.path())) {
        (void)e;
        ++entries;
    }
    EXPECT_EQ(entries, 2);  // midi.syx and folder.syx
    // A replaced file holds exactly the new bytes.
    ASSERT_EQ(WriteSyxFile(path, "F0 00 5A 52 4B F7 "), SyxWriteResult::Ok);
    EXPECT_EQ(TempDir::Read(path), std::string("\xF0\x00\x5A\x52\x4B\xF7", 6));
}

}  // namespace
}  // namespace ostrel
