// The window's own command line: mistakes get the usage line and status 2, no
// graphical session is said in words with status 1, and a file given is opened
// (the file in use, which the settings remember by its full path).
#include <gtest/gtest.h>

#include <thread>

#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

TEST(WindowCommandLine, MistakesAndNoDisplayAreSaidAndAFileGivenIsOpened) {
    test::TempDir dir;
    const std::vector<std::string> noDisplay = {"/usr/bin/env",    "-u",
                                                "DISPLAY",         "-u",
                                                "WAYLAND_DISPLAY", "-u",
                                                "QT_QPA_PLATFORM", "-C",
                                                dir.path(),        "XDG_RUNTIME_DIR=" + dir.path(),
                                                OSTREL_WINDOW_PATH};
    for (const auto& [argv, status, err] :
         {std::tuple{std::vector<std::string>{OSTREL_WINDOW_PATH, "--bogus"}, 2,
                     "ostrel: unknown option '--bogus'\nusage: ostrel "},
          std::tuple{noDisplay, 1,
                     "ostrel: the window needs a graphical session, and none "
                     "could be opened (neither DISPLAY nor WAYLAND_DISPLAY is set)."}}) {
        test::ChildProcess window(argv);
        EXPECT_EQ(window.Wait(std::chrono::seconds(60)), status);
        EXPECT_NE(window.Err().find(err), std::string::npos) << window.Err();
    }
    if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
    test::TempDir::Write(dir.file("song.cfg"), "[KNOB01]\nDATA=007\n");
    test::ChildProcess window({"/usr/bin/env", "-C", dir.path(), "QT_QPA_PLATFORM=offscreen",
                               "XDG_RUNTIME_DIR=" + dir.path(), OSTREL_WINDOW_PATH, "song.cfg"});
    const auto opened = [&] {
        return test::TempDir::Read(dir.file("Ostrel.ini")).find("FULLNAME=" + dir.file("song.cfg"));
    };
    for (int i = 0; i < 300 && opened() == std::string::npos; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_NE(opened(), std::string::npos) << test::TempDir::Read(dir.file("Ostrel.ini"));
    window.Signal(SIGTERM);
    EXPECT_EQ(window.Wait(test::kJackWait), 0) << window.Err();
}

}  // namespace
}  // namespace ostrel
