// Setlists: the keys as written by hand, what a missing or wrong key means,
// writing and reading back, every scene's table read at the start (a file
// that cannot be read skipped and named), and the triggers' matching.
#include "core/setlist.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::TempDir;
using Files = std::vector<std::string>;

TriggerMessage Message(std::initializer_list<uint8_t> bytes) {
    TriggerMessage m;
    for (uint8_t b : bytes) m.bytes[m.length++] = b;
    return m;
}

SetlistTriggers Triggers(int program, TriggerMessage next, TriggerMessage previous, bool pass) {
    SetlistTriggers t;
    t.programChannel = program;
    t.next = next;
    t.previous = previous;
    t.pass = pass;
    return t;
}

TEST(SetlistFile, ReadsTheKeysAndTheMeaningOfMissingOnes) {
    struct Case {
        const char* what;
        const char* text;
        Files files;
        SetlistTriggers triggers;
    };
    const int any = SetlistTriggers::kAnyChannel, never = SetlistTriggers::kNever;
    const Case cases[] = {
        {"every key",
         "[SETLIST]\nFILE1=organ.cfg\nFILE2=strings.cfg\n[TRIGGER]\nPROGRAM=***\n"
         "NEXT=B0 76 7F\nPREV=b0 75 7f\nPASS=1\n",
         {"organ.cfg", "strings.cfg"},
         Triggers(any, Message({0xB0, 0x76, 0x7F}), Message({0xB0, 0x75, 0x7F}), true)},
        {"no trigger section",
         "[SETLIST]\nFILE1=a.cfg\n",
         {"a.cfg"},
         Triggers(never, {}, {}, false)},
        {"a channel, empty NEXT, a one-byte PREV, a gap in the numbers",
         "[setlist]\nfile2=/abs/b.cfg\nFILE7=c.cfg\n[Trigger]\nprogram=016\nNEXT=\nPREV=FA\n",
         {"/abs/b.cfg", "c.cfg"},
         Triggers(16, {}, Message({0xFA}), false)},
        {"### never", "[TRIGGER]\nPROGRAM=###\nPASS=0\n", {}, Triggers(never, {}, {}, false)},
    };
    TempDir dir;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        dir.Write(dir.file("x.setlist"), c.text);
        Setlist setlist;
        std::string why;
        ASSERT_TRUE(ReadSetlist(dir.file("x.setlist"), setlist, &why)) << why;
        EXPECT_EQ(setlist.files, c.files);
        EXPECT_EQ(setlist.triggers, c.triggers);
    }
}

TEST(SetlistFile, RefusesValuesItCannotMeanAndNamesTheKey) {
    const struct {
        const char* text;
        const char* named;
    } cases[] = {
        {"[TRIGGER]\nPROGRAM=017\n", "PROGRAM=017"},     {"[TRIGGER]\nPROGRAM=1\n", "PROGRAM=1"},
        {"[TRIGGER]\nNEXT=B0 76\n", "NEXT=B0 76"},        // a data byte short
        {"[TRIGGER]\nNEXT=B0 GG 7F\n", "NEXT=B0 GG 7F"},  // not hex
        {"[TRIGGER]\nPREV=76 7F\n", "PREV=76 7F"},        // no status first
        {"[TRIGGER]\nPREV=F0 01 F7\n", "PREV=F0 01 F7"},  // no short message
    };
    TempDir dir;
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        dir.Write(dir.file("bad.setlist"), c.text);
        Setlist setlist;
        std::string why;
        EXPECT_FALSE(ReadSetlist(dir.file("bad.setlist"), setlist, &why));
        EXPECT_NE(why.find(c.named), std::string::npos) << why;
    }
    std::string why;
    Setlist setlist;
    EXPECT_FALSE(ReadSetlist(dir.file("missing.setlist"), setlist, &why));
    EXPECT_FALSE(why.empty());
}

TEST(SetlistFile, WritesWhatItReadsBackAndKeepsOtherLines) {
    TempDir dir;
    const std::string path = dir.file("w.setlist");
    dir.Write(path, "; my set\n[SETLIST]\nFILE1=old.cfg\nFILE2=x.cfg\nFILE3=y.cfg\n");
    Setlist written;
    written.files = {"organ.cfg", "/abs/pad.cfg"};
    written.triggers = Triggers(3, Message({0x90, 0x30, 0x7F}), Message({0xC0, 0x05}), true);
    ASSERT_EQ(WriteSetlist(path, written), StoreResult::Ok);
    Setlist read;
    ASSERT_TRUE(ReadSetlist(path, read));
    EXPECT_EQ(read.files, written.files);  // FILE3 of the old list is gone
    EXPECT_EQ(read.triggers, written.triggers);
    const std::string text = TempDir::Read(path);
    EXPECT_EQ(text.rfind("; my set\n", 0), 0u) << text;
    EXPECT_NE(text.find("PROGRAM=003\nNEXT=90 30 7F\nPREV=C0 05\nPASS=1\n"), std::string::npos)
        << text;
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
    std::string why;
    ASSERT_TRUE(LoadSetlist(setlist, loaded, &why)) << why;
    ASSERT_EQ(loaded.scenes.size(), 2u);
    EXPECT_EQ(loaded.scenes[0].file, "organ.cfg");
    EXPECT_EQ(loaded.scenes[0].table->Get(Entry::KNOB01), AssignmentCode::FromText("007"));
    EXPECT_EQ(loaded.scenes[0].table->Get(Entry::CHANEL), AssignmentCode::FromText("***"));
    EXPECT_EQ(loaded.scenes[1].table->Get(Entry::CHANEL), AssignmentCode::FromText("003"));
    ASSERT_EQ(loaded.skipped.size(), 2u);
    EXPECT_EQ(loaded.skipped[0].rfind("gone.cfg: ", 0), 0u) << loaded.skipped[0];
    EXPECT_EQ(loaded.skipped[1].rfind("../songs: ", 0), 0u) << loaded.skipped[1];
}

TEST(SetlistTriggers, MatchWhatTheSetlistNames) {
    using A = TriggerMatch::Action;
    struct Case {
        int program;
        std::vector<uint8_t> message;
        A action;
        int scene;
    };
    const int any = SetlistTriggers::kAnyChannel, never = SetlistTriggers::kNever;
    const Case cases[] = {
        {any, {0xC0, 0x00}, A::Select, 0},
        {any, {0xCF, 0x06}, A::Select, 6},
        {2, {0xC1, 0x03}, A::Select, 3},
        {2, {0xC0, 0x03}, A::None, 0},
        {never, {0xC0, 0x01}, A::None, 0},
        {never, {0xB0, 0x76, 0x7F}, A::Next, 0},
        {never, {0xB0, 0x75, 0x7F}, A::Previous, 0},
        {never, {0xB0, 0x76, 0x00}, A::None, 0},
        {never, {0xB1, 0x76, 0x7F}, A::None, 0},
        {never, {0xB0, 0x76}, A::None, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.message));
        const SetlistTriggers t =
            Triggers(c.program, Message({0xB0, 0x76, 0x7F}), Message({0xB0, 0x75, 0x7F}), false);
        const TriggerMatch m = MatchTrigger(t, c.message.data(), c.message.size());
        EXPECT_EQ(m.action, c.action);
        EXPECT_EQ(m.scene, c.scene);
    }
}

}  // namespace
}  // namespace ostrel
