// Setlists: keys written by hand, what a missing or wrong key means, writing
// and reading back, and every scene's table read at once, a file that cannot be
// read skipped and named.
#include "core/setlist.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;
using Files = std::vector<std::string>;

SetlistTriggers Triggers(int program, ShortMessage next, ShortMessage previous, bool pass) {
    return {program, next, previous, pass};
}

TEST(SetlistFile, ReadsTheKeysAndRefusesValuesItCannotMean) {
    struct Case {
        const char* text;
        Files files;
        SetlistTriggers triggers;
        const char* refused = nullptr;  // the key and value named when refused
    };
    const int any = SetlistTriggers::kAnyChannel, never = SetlistTriggers::kNever;
    const Case cases[] = {
        {"[SETLIST]\nFILE1=organ.cfg\nFILE2=strings.cfg\n[TRIGGER]\nPROGRAM=***\n"
         "NEXT=B0 76 7F\nPREV=b0 75 7f\nPASS=1\n",
         {"organ.cfg", "strings.cfg"},
         Triggers(any, {{0xB0, 0x76, 0x7F}, 3}, {{0xB0, 0x75, 0x7F}, 3}, true)},
        {"[SETLIST]\nFILE1=a.cfg\n", {"a.cfg"}, Triggers(never, {}, {}, false)},
        {"[setlist]\nfile2=/abs/b.cfg\nFILE7=c.cfg\n[Trigger]\nprogram=016\nNEXT=\nPREV=C1 05\n"
         "PASS=0\n",
         {"/abs/b.cfg", "c.cfg"},
         Triggers(16, {}, {{0xC1, 0x05}, 2}, false)},
        {"[TRIGGER]\nPROGRAM=017\n", {}, {}, "PROGRAM=017"},
        {"[TRIGGER]\nPROGRAM=1\n", {}, {}, "PROGRAM=1"},
        {"[TRIGGER]\nNEXT=B0 76\n", {}, {}, "NEXT=B0 76"},
        {"[TRIGGER]\nNEXT=B0 GG 7F\n", {}, {}, "NEXT=B0 GG 7F"},
        {"[TRIGGER]\nPREV=76 7F\n", {}, {}, "PREV=76 7F"},
        {"[TRIGGER]\nPREV=F0 01 F7\n", {}, {}, "PREV=F0 01 F7"},
        {"[TRIGGER]\nNEXT=90 3C 7F 80\n", {}, {}, "NEXT=90 3C 7F 80"},
        {"[TRIGGER]\nNEXT=B0 76 7F B0 75 7F\n", {}, {}, "NEXT=B0 76 7F B0 75 7F"},
        // A clock, a start or a reset is no trigger; PASS is 0 or 1.
        {"[TRIGGER]\nNEXT=F8\n", {}, {}, "NEXT=F8: a trigger is one channel message"},
        {"[TRIGGER]\nPREV=FA\n", {}, {}, "PREV=FA"},
        {"[TRIGGER]\nPASS=yes\n", {}, {}, "PASS=yes: give 0 or 1"},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        dir.Write(dir.file("x.setlist"), c.text);
        Setlist setlist;
        std::string why;
        ASSERT_EQ(ReadSetlist(dir.file("x.setlist"), setlist, &why), c.refused == nullptr) << why;
        if (c.refused != nullptr) {
            EXPECT_NE(why.find(c.refused), std::string::npos) << why;
            continue;
        }
        EXPECT_EQ(setlist.files, c.files);
        EXPECT_EQ(setlist.triggers, c.triggers);
    }
}

TEST(SetlistFile, NamesEveryKeyItDoesNotUseAndTheSceneLimitInOneWarning) {
    std::string many = "[SETLIST]\n";
    for (int n = 1; n <= 10000; ++n) many += "FILE" + std::to_string(n) + "=s.cfg\n";
    const std::string limit = "; a setlist holds at most 999 scenes, FILE1 to FILE999";
    const std::pair<std::string, std::string> cases[] = {
        {"[SETLIST]\nFILE1=a.cfg\n[TRIGGER]\nPASS=0\n", ""},
        {"[SETLIST]\nFILE1=a\nFILE01=b\nfile1=c\nFILE1000=d\n[TRIGGER]\nNEXTT=B0\n[OTHER]\nX=1\n",
         "keys not used: FILE01, file1 (given again), FILE1000, NEXTT, [OTHER] X" + limit},
        {many,
         "keys not used: FILE1000, FILE1001, FILE1002, FILE1003, FILE1004, FILE1005, "
         "FILE1006, FILE1007, FILE1008, FILE1009 and 8991 more" +
             limit},
    };
    TempDir dir;
    Setlist setlist;
    for (const auto& [text, warning] : cases) {
        dir.Write(dir.file("x.setlist"), text);
        ASSERT_TRUE(ReadSetlist(dir.file("x.setlist"), setlist));
        EXPECT_EQ(setlist.warning, warning);
    }
    EXPECT_EQ(setlist.files.size(), 999u);
}

TEST(SetlistFile, WritesWhatItReadsBackAndKeepsOtherLines) {
    TempDir dir;
    const std::string path = dir.file("w.setlist");
    dir.Write(path, "; my set\n[SETLIST]\nFILE1=old.cfg\nFILE2=x.cfg\nFILE3=y.cfg\n");
    // A scene's path is never cut: a cut one would name another file.
    Setlist written{{"organ.cfg", "/abs/" + std::string(300, 'p') + ".cfg"},
                    Triggers(3, {{0x90, 0x30, 0x7F}, 3}, {{0xC0, 0x05}, 2}, true),
                    ""};
    ASSERT_EQ(WriteSetlist(path, written), StoreResult::Ok);
    Setlist read;
    ASSERT_TRUE(ReadSetlist(path, read));
    EXPECT_EQ(read.files, written.files);  // FILE3 of the old list is gone
    EXPECT_EQ(read.triggers, written.triggers);
    const std::string text = TempDir::Read(path);
    EXPECT_EQ(text.rfind("; my set\n", 0), 0u) << text;
    EXPECT_NE(text.find("PROGRAM=003\nNEXT=90 30 7F\nPREV=C0 05\nPASS=1\n"), std::string::npos);
}

TEST(SetlistFile, ReadsEverySceneAtOnceAndSkipsWhatCannotBeRead) {
    TempDir dir;
    std::filesystem::create_directory(dir.file("songs"));
    dir.Write(dir.file("songs/organ.cfg"), "[KNOB01]\nDATA=007\n");
    dir.Write(dir.file("pad.cfg"), "[CHANEL]\nDATA=003\n");
    const std::string setlist = dir.file("songs/set.setlist");
    dir.Write(setlist, "[SETLIST]\nFILE1=organ.cfg\nFILE2=gone.cfg\nFILE3=" + dir.file("pad.cfg") +
                           "\nFILE4=../songs\n");
    LoadedSetlist loaded;
    ASSERT_TRUE(LoadSetlist(setlist, loaded));
    ASSERT_EQ(loaded.scenes.size(), 2u);
    EXPECT_EQ(loaded.scenes[0].file, "organ.cfg");
    EXPECT_EQ(loaded.scenes[0].table->Get(Entry::KNOB01), AssignmentCode::FromText("007"));
    EXPECT_EQ(loaded.scenes[1].table->Get(Entry::CHANEL), AssignmentCode::FromText("003"));
    ASSERT_EQ(loaded.skipped.size(), 2u);
    EXPECT_EQ(loaded.skipped[0].rfind("gone.cfg: ", 0), 0u) << loaded.skipped[0];
    EXPECT_EQ(loaded.skipped[1].rfind("../songs: ", 0), 0u) << loaded.skipped[1];
    EXPECT_FALSE(LoadSetlist(dir.file("none.setlist"), loaded));
}

// Windows-1252 names beside files copied from Windows (UTF-8 names).
TEST(SetlistFile, WindowsNamesFindTheirFilesAndMissingOnesShowTheirBytes) {
    TempDir dir;
    dir.Write(dir.file("Br\xC3\xA4ute.cfg"), "[KNOB01]\nDATA=007\n");
    dir.Write(dir.file("x.setlist"),
              "[SETLIST]\nFILE1=Br\xE4ute.cfg\nFILE2=M\xFC\x01"
              "de.cfg\n");
    LoadedSetlist loaded;
    ASSERT_TRUE(LoadSetlist(dir.file("x.setlist"), loaded));
    ASSERT_EQ(loaded.scenes.size(), 1u);
    EXPECT_EQ(loaded.scenes[0].file, "Br\xC3\xA4ute.cfg");
    EXPECT_EQ(loaded.skipped, Files{"M\\xFC\\x01de.cfg: No such file or directory"});
}

}  // namespace
}  // namespace ostrel
