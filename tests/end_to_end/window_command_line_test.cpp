// The window's own command line: mistakes get the usage line and status 2, no
// graphical session is said in words with status 1, and a file given is opened.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

TEST(WindowCommandLine, MistakesAndAMissingDisplayAreSaidWithTheirStatus) {
    test::TempDir dir;
    const struct {
        std::vector<std::string> argv;
        int status;
        const char* err;
    } cases[] = {
        {{OSTREL_WINDOW_PATH, "--bogus"}, 2, "ostrel: unknown option '--bogus'\nusage: ostrel "},
        {{OSTREL_WINDOW_PATH, "a.cfg", "b.cfg"}, 2, "ostrel: one file at a time"},
        {{"/usr/bin/env", "-u", "DISPLAY", "-u", "WAYLAND_DISPLAY", "-u", "QT_QPA_PLATFORM", "-C",
          dir.path(), "XDG_RUNTIME_DIR=" + dir.path(), OSTREL_WINDOW_PATH},
         1,
         "ostrel: the window needs a graphical session, and none could be opened (neither "
         "DISPLAY nor WAYLAND_DISPLAY is set)."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.argv.back());
        test::ChildProcess window(c.argv);
        EXPECT_EQ(window.Wait(std::chrono::seconds(60)), c.status);
        EXPECT_NE(window.Err().find(c.err), std::string::npos) << window.Err();
    }
}

// The file is opened as File Open opens it: it becomes the file in use, which
// the settings file remembers by its full path.
TEST(WindowCommandLine, AConfigurationFileGivenIsOpened) {
    if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
    test::TempDir dir;
    test::TempDir::Write(dir.file("song.cfg"), "[KNOB01]\nDATA=007\n");
    test::ChildProcess window({"/usr/bin/env", "-C", dir.path(), "QT_QPA_PLATFORM=offscreen",
                               "XDG_RUNTIME_DIR=" + dir.path(), OSTREL_WINDOW_PATH, "song.cfg"});
    const std::string remembered = "FULLNAME=" + dir.file("song.cfg");
    const auto deadline = std::chrono::steady_clock::now() + test::kJackWait;
    bool opened = false;
    while (!opened && std::chrono::steady_clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        opened = test::TempDir::Read(dir.file("Ostrel.ini")).find(remembered) != std::string::npos;
    }
    EXPECT_TRUE(opened) << test::TempDir::Read(dir.file("Ostrel.ini"));
    window.Signal(SIGTERM);
    EXPECT_EQ(window.Wait(test::kJackWait), 0) << window.Err();
}

}  // namespace
}  // namespace ostrel
