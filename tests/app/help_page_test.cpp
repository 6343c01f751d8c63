// Where Help, ReadMe finds Readme.htm: start folder, then the program's folder,
// then the installed data folder beside bin.
#include "app/help_page.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "support/temp_dir.h"

namespace ostrel {
namespace {

TEST(HelpPageTest, TheFirstFolderHoldingThePageWins) {
    struct Case {
        const char* name;
        bool inStart, inProgram, inData;
        const char* expected;  // folder under the temporary root, "" for none
    };
    const Case cases[] = {
        {"everywhere", true, true, true, "start"},
        {"program and data", false, true, true, "usr/bin"},
        {"installed only", false, false, true, "usr/share/ostrel"},
        {"nowhere", false, false, false, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        test::TempDir root;
        const std::pair<bool, const char*> places[] = {
            {c.inStart, "start"}, {c.inProgram, "usr/bin"}, {c.inData, "usr/share/ostrel"}};
        for (const auto& [present, folder] : places) {
            std::filesystem::create_directories(root.file(folder));
            if (present) test::TempDir::Write(root.file(folder) + "/Readme.htm", "<html/>");
        }
        const auto folders = HelpPageFolders(root.file("start"), root.file("usr/bin"));
        EXPECT_EQ(folders.back(), root.file("usr/share/ostrel"));
        EXPECT_EQ(FindHelpPage(folders),
                  *c.expected ? root.file(c.expected) + "/Readme.htm" : std::string());
    }
}

TEST(HelpPageTest, AFolderNamedLikeThePageIsPassedOver) {
    test::TempDir root;
    std::filesystem::create_directories(root.file("start/Readme.htm"));
    test::TempDir::Write(root.file("Readme.htm"), "<html/>");
    EXPECT_EQ(FindHelpPage({root.file("start"), root.path()}), root.file("Readme.htm"));
}

TEST(HelpPageTest, ProgramFolderHoldsThisTestProgram) {
    const std::string folder = ProgramFolder();
    ASSERT_FALSE(folder.empty());
    EXPECT_TRUE(std::filesystem::exists(folder + "/test_app"));
}

}  // namespace
}  // namespace ostrel
