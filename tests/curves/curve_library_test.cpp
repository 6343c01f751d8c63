// The curve libraries: loading from the settings file, choosing a curve, and the
// keys that adding, overwriting and deleting write.
#include "curves/curve_library.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "store/ini_settings.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;

class CurveLibraryTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini"))); }
    std::string FileText() const { return TempDir::Read(dir.file("Ostrel.ini")); }
    void WriteFile(const std::string& text) { TempDir::Write(dir.file("Ostrel.ini"), text); }
    std::string Read(const char* section, const char* key) const {
        return settings.ReadString(section, key);
    }
    // A library of n velocity curves named c0.. with coordinates 10i+1 .. 10i+4.
    void AddVelocityCurves(int n) {
        for (int i = 0; i < n; ++i) {
            const std::string name = std::string("c").append(std::to_string(i));
            const AddCurveOutcome out =
                AddCurve(CurveKind::Velocity, name.c_str(), 10 * i + 1, 10 * i + 2, 10 * i + 3,
                         10 * i + 4, settings, libraries);
            ASSERT_EQ(out.result, CurveStoreResult::Ok);
            ASSERT_EQ(out.index, i);
        }
    }

    TempDir dir;
    CIniSettings settings;
    CurveLibraries libraries;
    CurrentCurves curves;
};

TEST_F(CurveLibraryTest, NoSettingsFileGivesEmptyLibrariesAndZeroCurves) {
    libraries.Of(CurveKind::Touch).count = 5;
    curves.Of(CurveKind::Velocity).SetAll({1, 2, 3, 4, 256, 256});
    LoadCurveLibraries(settings, libraries, curves);
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 0);
    EXPECT_EQ(libraries.Of(CurveKind::Touch).count, 0);
    EXPECT_EQ(curves.Of(CurveKind::Velocity).Load(), CurvePoints{});
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), CurvePoints{});
}

TEST_F(CurveLibraryTest, LoadReadsBothLibrariesAndTheStartPoints) {
    WriteFile(
        "[curve]\r\nnums=2\r\nNAME00=Soft\r\nFIRSTX00=10\r\nFIRSTY00=20\r\nSECONDX00=30\r\n"
        "SECONDY00=40\r\nNAME01=Hard\r\nFIRSTX01=-5\r\n"
        "[TOUCH]\r\nNUMS=1\r\nNAME00=Light\r\nSECONDY00=7\r\nX0=1\r\nY0=2\r\nX1=3\r\nY1=4\r\n"
        "[CURSE]\r\nX0=11\r\nY0=12\r\nX1=13\r\nY1=14\r\n");
    LoadCurveLibraries(settings, libraries, curves);
    const CurveLibrary& v = libraries.Of(CurveKind::Velocity);
    ASSERT_EQ(v.count, 2);
    EXPECT_STREQ(v.entries[0].name, "Soft");
    EXPECT_EQ(v.entries[0].firstX, 10);
    EXPECT_EQ(v.entries[0].secondY, 40);
    EXPECT_STREQ(v.entries[1].name, "Hard");
    EXPECT_EQ(v.entries[1].firstX, -5);
    EXPECT_EQ(v.entries[1].secondY, 0);  // absent key
    const CurveLibrary& t = libraries.Of(CurveKind::Touch);
    ASSERT_EQ(t.count, 1);
    EXPECT_STREQ(t.entries[0].name, "Light");
    EXPECT_EQ(t.entries[0].secondY, 7);
    EXPECT_EQ(curves.Of(CurveKind::Velocity).Load(), (CurvePoints{11, 12, 13, 14, 0, 0}));
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), (CurvePoints{1, 2, 3, 4, 0, 0}));
}

TEST_F(CurveLibraryTest, AtMost99EntriesAreLoadedAndNamesKeep255Characters) {
    std::string text = "[CURVE]\nNUMS=150\n";
    for (int i = 0; i < 150; ++i) {
        char line[64];
        std::snprintf(line, sizeof line, "NAME%02d=n%d\nFIRSTX%02d=%d\n", i, i, i, i);
        text += line;
    }
    text += "[TOUCH]\nNUMS=-3\nNAME00=" + std::string(300, 'x') + "\n";
    WriteFile(text);
    LoadCurveLibraries(settings, libraries, curves);
    const CurveLibrary& v = libraries.Of(CurveKind::Velocity);
    EXPECT_EQ(v.count, 99);
    EXPECT_STREQ(v.entries[98].name, "n98");
    EXPECT_EQ(v.entries[98].firstX, 98);
    EXPECT_EQ(libraries.Of(CurveKind::Touch).count, 0);
    EXPECT_EQ(ReadCurveCount(settings, CurveKind::Velocity), 99);
    EXPECT_EQ(ReadCurveNames(settings, CurveKind::Velocity).size(), 99u);

    WriteFile("[TOUCH]\nNUMS=1\nNAME00=" + std::string(300, 'x') + "\n");
    LoadCurveLibraries(settings, libraries, curves);
    EXPECT_EQ(std::string(libraries.Of(CurveKind::Touch).entries[0].name), std::string(255, 'x'));
}

TEST_F(CurveLibraryTest, CurveIdsNameTheDefaultOrAnIndex) {
    EXPECT_STREQ(CurveId::Default().text, "***");
    EXPECT_TRUE(CurveId::Default().IsDefault());
    EXPECT_STREQ(CurveId::ForIndex(4).text, "004");
    EXPECT_STREQ(CurveId::ForIndex(98).text, "098");
    EXPECT_EQ(CurveId::ForIndex(98).Index(), 98);
    const CurveId fromItem = CurveId::FromText("003     -- Soft");
    EXPECT_STREQ(fromItem.text, "003");
    EXPECT_EQ(fromItem.Index(), 3);
    EXPECT_TRUE(CurveId::FromText("***     -- Default").IsDefault());
    EXPECT_FALSE(CurveId::FromText("**").IsDefault());
    EXPECT_EQ(CurveId::FromText("1").Index(), 1);
    EXPECT_EQ(CurveId::FromText("abc").Index(), 0);
    EXPECT_EQ(CurveItemText(3, "Soft"), "003     -- Soft");
    EXPECT_STREQ(CurveSection(CurveKind::Velocity), "CURVE");
    EXPECT_STREQ(CurveSection(CurveKind::Touch), "TOUCH");
}

TEST_F(CurveLibraryTest, SelectCurveTakesTheDefaultOrASlot) {
    CurrentCurve& v = curves.Of(CurveKind::Velocity);
    v.SetPoints(9, 9, 9, 9);
    SelectCurve(CurveKind::Velocity, CurveId::Default(), libraries, curves);
    EXPECT_EQ(v.Load(), CurvePoints{});  // dialog never opened: W = H = 0

    v.SetArea(256, 200);
    SelectCurve(CurveKind::Velocity, CurveId::Default(), libraries, curves);
    EXPECT_EQ(v.Load(), (CurvePoints{128, 100, 128, 100, 256, 200}));

    AddVelocityCurves(2);
    SelectCurve(CurveKind::Velocity, CurveId::ForIndex(1), libraries, curves);
    EXPECT_EQ(v.Load(), (CurvePoints{11, 12, 13, 14, 256, 200}));
    // Touch is untouched by a velocity choice.
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), CurvePoints{});

    // A slot beyond the count, or a code that is no number, means the default.
    for (const char* code : {"007", "099", "999", "-01", "abc", "1a"}) {
        SelectCurve(CurveKind::Velocity, CurveId::FromText(code), libraries, curves);
        EXPECT_EQ(v.Load(), (CurvePoints{128, 100, 128, 100, 256, 200})) << code;
    }
    EXPECT_STREQ(CurveChoiceIn(libraries.Of(CurveKind::Velocity), "1").text, "001");
}

TEST_F(CurveLibraryTest, AChosenEntryOfZerosMapsEverythingButZeroTo127) {
    ASSERT_EQ(AddCurve(CurveKind::Touch, "flat", 0, 0, 0, 0, settings, libraries).result,
              CurveStoreResult::Ok);
    curves.Of(CurveKind::Touch).SetArea(256, 256);
    SelectCurve(CurveKind::Touch, CurveId::ForIndex(0), libraries, curves);
    EXPECT_EQ(curves.MapValue(CurveKind::Touch, 0), 0);
    EXPECT_EQ(curves.MapValue(CurveKind::Touch, 1), 127);
    EXPECT_EQ(curves.MapValue(CurveKind::Touch, 64), 127);
}

TEST_F(CurveLibraryTest, AddWritesItsKeysInOrderAndTakesTheIndexFromTheFile) {
    WriteFile("[CURVE]\nNUMS=2\n");  // entries the file knows of, not yet loaded
    const AddCurveOutcome out =
        AddCurve(CurveKind::Velocity, "Soft", 64, 128, 192, -3, settings, libraries);
    ASSERT_EQ(out.result, CurveStoreResult::Ok);
    EXPECT_EQ(out.index, 2);
    EXPECT_EQ(FileText(),
              "[CURVE]\nNUMS=3\nNAME02=Soft\nFIRSTX02=64\nFIRSTY02=128\nSECONDX02=192\n"
              "SECONDY02=-3\n");
    const CurveLibrary& v = libraries.Of(CurveKind::Velocity);
    EXPECT_EQ(v.count, 3);
    EXPECT_STREQ(v.entries[2].name, "Soft");
    EXPECT_EQ(v.entries[2].secondY, -3);

    // Touch entries go to TOUCH, beside its start points.
    WriteFile("[TOUCH]\nX0=1\n");
    ASSERT_EQ(AddCurve(CurveKind::Touch, "T", 1, 2, 3, 4, settings, libraries).index, 0);
    EXPECT_EQ(FileText(),
              "[TOUCH]\nX0=1\nNAME00=T\nFIRSTX00=1\nFIRSTY00=2\nSECONDX00=3\nSECONDY00=4\n"
              "NUMS=1\n");
}

TEST_F(CurveLibraryTest, AddKeeps255CharactersOfALongNameAndRefusesLineBreaks) {
    const std::string longName(300, 'n');
    ASSERT_EQ(
        AddCurve(CurveKind::Velocity, longName.c_str(), 1, 2, 3, 4, settings, libraries).result,
        CurveStoreResult::Ok);
    EXPECT_EQ(Read("CURVE", "NAME00"), std::string(255, 'n'));
    EXPECT_EQ(std::string(libraries.Of(CurveKind::Velocity).entries[0].name),
              std::string(255, 'n'));

    const std::string before = FileText();
    const AddCurveOutcome bad =
        AddCurve(CurveKind::Velocity, "two\nlines", 1, 2, 3, 4, settings, libraries);
    EXPECT_EQ(bad.result, CurveStoreResult::InvalidName);
    EXPECT_EQ(bad.index, -1);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 1);
}

TEST_F(CurveLibraryTest, The100thAddIsRefusedAndWritesNothing) {
    AddVelocityCurves(99);
    EXPECT_EQ(Read("CURVE", "NUMS"), "99");
    EXPECT_EQ(Read("CURVE", "NAME98"), "c98");
    const std::string before = FileText();
    const AddCurveOutcome out =
        AddCurve(CurveKind::Velocity, "one too many", 1, 1, 1, 1, settings, libraries);
    EXPECT_EQ(out.result, CurveStoreResult::LibraryFull);
    EXPECT_EQ(out.index, -1);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 99);
    // A file that claims more than 99 is full as well.
    WriteFile("[CURVE]\nNUMS=120\n");
    EXPECT_EQ(AddCurve(CurveKind::Velocity, "x", 1, 1, 1, 1, settings, libraries).result,
              CurveStoreResult::LibraryFull);
    EXPECT_EQ(FileText(), "[CURVE]\nNUMS=120\n");
}

TEST_F(CurveLibraryTest, OverwriteWritesOnlyTheFourCoordinates) {
    AddVelocityCurves(3);
    const std::string before = FileText();
    ASSERT_EQ(OverwriteCurve(CurveKind::Velocity, 1, 100, 101, 102, 103, settings, libraries),
              CurveStoreResult::Ok);
    std::string expected = before;
    for (auto [from, to] : {std::pair{"FIRSTX01=11", "FIRSTX01=100"},
                            {"FIRSTY01=12", "FIRSTY01=101"},
                            {"SECONDX01=13", "SECONDX01=102"},
                            {"SECONDY01=14", "SECONDY01=103"}})
        expected.replace(expected.find(from), std::string(from).size(), to);
    EXPECT_EQ(FileText(), expected);  // NAME01 and NUMS as they were
    const CurveRecord& r = libraries.Of(CurveKind::Velocity).entries[1];
    EXPECT_STREQ(r.name, "c1");
    EXPECT_EQ(r.firstX, 100);
    EXPECT_EQ(r.secondY, 103);

    EXPECT_EQ(OverwriteCurve(CurveKind::Velocity, 3, 0, 0, 0, 0, settings, libraries),
              CurveStoreResult::NoSuchEntry);
    EXPECT_EQ(OverwriteCurve(CurveKind::Velocity, -1, 0, 0, 0, 0, settings, libraries),
              CurveStoreResult::NoSuchEntry);
    EXPECT_EQ(FileText(), expected);
}

TEST_F(CurveLibraryTest, DeletingEntry2Of5RenumbersTheRest) {
    AddVelocityCurves(5);
    ASSERT_EQ(DeleteCurve(CurveKind::Velocity, 2, settings, libraries), CurveStoreResult::Ok);
    EXPECT_EQ(Read("CURVE", "NUMS"), "4");
    EXPECT_EQ(Read("CURVE", "NAME02"), "c3");
    EXPECT_EQ(Read("CURVE", "FIRSTX02"), "31");
    EXPECT_EQ(Read("CURVE", "SECONDY02"), "34");
    EXPECT_EQ(Read("CURVE", "NAME03"), "c4");
    EXPECT_EQ(Read("CURVE", "SECONDY03"), "44");
    EXPECT_EQ(Read("CURVE", "NAME04"), "c4");  // the former last keys stay, outside NUMS
    EXPECT_EQ(Read("CURVE", "NAME01"), "c1");
    const CurveLibrary& v = libraries.Of(CurveKind::Velocity);
    EXPECT_EQ(v.count, 4);
    EXPECT_STREQ(v.entries[2].name, "c3");
    EXPECT_STREQ(v.entries[3].name, "c4");
    EXPECT_EQ(v.entries[3].firstX, 41);

    // The id 003 now names the former entry 4.
    SelectCurve(CurveKind::Velocity, CurveId::FromText("003"), libraries, curves);
    EXPECT_EQ(curves.Of(CurveKind::Velocity).Load().firstX, 41);

    // What a restart loads agrees with memory.
    CurveLibraries reloaded;
    LoadCurveLibraries(settings, reloaded, curves);
    ASSERT_EQ(reloaded.Of(CurveKind::Velocity).count, 4);
    for (int i = 0; i < 4; ++i) {
        EXPECT_STREQ(reloaded.Of(CurveKind::Velocity).entries[i].name, v.entries[i].name);
        EXPECT_EQ(reloaded.Of(CurveKind::Velocity).entries[i].secondX, v.entries[i].secondX);
    }
}

TEST_F(CurveLibraryTest, DeletingTheOnlyEntryLeavesItsKeysForTheNextAdd) {
    AddVelocityCurves(1);
    ASSERT_EQ(DeleteCurve(CurveKind::Velocity, 0, settings, libraries), CurveStoreResult::Ok);
    EXPECT_EQ(FileText(),
              "[CURVE]\nNAME00=c0\nFIRSTX00=1\nFIRSTY00=2\nSECONDX00=3\nSECONDY00=4\nNUMS=0\n");
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 0);
    const AddCurveOutcome out =
        AddCurve(CurveKind::Velocity, "again", 5, 6, 7, 8, settings, libraries);
    EXPECT_EQ(out.index, 0);
    EXPECT_EQ(FileText(),
              "[CURVE]\nNAME00=again\nFIRSTX00=5\nFIRSTY00=6\nSECONDX00=7\nSECONDY00=8\nNUMS=1\n");
}

TEST_F(CurveLibraryTest, DeleteOfNoEntryIsRefusedAndWritesNothing) {
    EXPECT_EQ(DeleteCurve(CurveKind::Touch, 0, settings, libraries),
              CurveStoreResult::NoSuchEntry);  // empty library: NUMS would go to -1
    AddVelocityCurves(2);
    const std::string before = FileText();
    EXPECT_EQ(DeleteCurve(CurveKind::Velocity, 2, settings, libraries),
              CurveStoreResult::NoSuchEntry);
    EXPECT_EQ(DeleteCurve(CurveKind::Velocity, -1, settings, libraries),
              CurveStoreResult::NoSuchEntry);
    EXPECT_EQ(FileText(), before);
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 2);
}

TEST_F(CurveLibraryTest, FailedWriteLeavesTheLibraryAsItWas) {
    AddVelocityCurves(2);
    // The settings file's folder is gone: nothing can be written.
    ASSERT_TRUE(settings.SetPath(dir.file("gone/Ostrel.ini")));
    EXPECT_EQ(AddCurve(CurveKind::Velocity, "x", 1, 1, 1, 1, settings, libraries).result,
              CurveStoreResult::WriteFailure);
    const CurveLibrary& v = libraries.Of(CurveKind::Velocity);
    EXPECT_EQ(v.count, 2);
    EXPECT_STREQ(v.entries[0].name, "c0");
}

}  // namespace
}  // namespace ostrel
