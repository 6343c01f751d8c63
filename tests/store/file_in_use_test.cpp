// The file in use: what the start recalls, what Save and Save As decide, and a
// refusal to remember a path said once for it.
#include "store/file_in_use.h"

#include <gtest/gtest.h>

#include <string>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

TEST(FileInUse, TheStartRecallsOnlyANameWithItsPath) {
    struct Case {
        const char* settings;
        bool recalled;
        const char* name;
    };
    const Case cases[] = {
        {"", false, ""},
        {"[SYSTEM]\nFILENAME=orphan.cfg\n", false, ""},
        {"[SYSTEM]\nFULLNAME=/sets/a.cfg\n", false, ""},
        {"[SYSTEM]\nFILENAME=a.cfg\nFULLNAME=/sets/a.cfg\n", true, "a.cfg"},
    };
    for (const Case& c : cases) {
        test::TempDir dir;
        test::TempDir::Write(dir.file("Ostrel.ini"), c.settings);
        CIniSettings settings;
        ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini")));
        FileInUse file;
        EXPECT_EQ(file.Recall(settings), c.recalled) << c.settings;
        EXPECT_EQ(file.Name(), c.name) << c.settings;
        EXPECT_EQ(file.SaveNeedsChoice(), !c.recalled) << c.settings;
        EXPECT_EQ(file.SaveAsTakesCopy(), !c.recalled) << c.settings;
    }
}

TEST(FileInUse, ARefusedPathIsSaidOnceAndRememberingWritesBoth) {
    test::TempDir dir;
    CIniSettings settings;
    ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini")));
    FileInUse file;
    file.Use("/sets/a.cfg", "a.cfg");
    ASSERT_EQ(file.Remember(settings), StoreResult::Ok);
    FileInUse next;
    ASSERT_TRUE(next.Recall(settings));
    EXPECT_EQ(next.Path(), "/sets/a.cfg");

    EXPECT_TRUE(file.FirstRefusalOfPath());
    EXPECT_FALSE(file.FirstRefusalOfPath());
    file.Use("/sets/b.cfg", "b.cfg");
    EXPECT_TRUE(file.FirstRefusalOfPath());
    file.Forget();
    EXPECT_TRUE(file.IsNone());
    EXPECT_TRUE(file.SaveNeedsChoice());
}

}  // namespace
}  // namespace ostrel
