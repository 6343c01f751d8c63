// The window binary as a user runs it, over a private JACK server: started on
// ports chosen in its settings file, forwarding (Start pressed), a note and
// the pedal held through it; SIGTERM, SIGINT or SIGHUP releases both at the
// synth and ends the program with status 0, without the exit question, also
// while a modal dialog is open. Its own command line: mistakes get the usage
// line and status 2, no graphical session is said with status 1, and a file
// given is opened (the file in use, which the settings remember).
// Runs under scripts/with-jack.sh (make test); skipped without JACK_DEFAULT_SERVER.
#include <gtest/gtest.h>
#include <string.h>

#include <cstdlib>
#include <thread>

#include "app/main_frame.h"
#include "res/template_main_form.h"
#include "support/child_process.h"
#include "support/jack_test_client.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

using test::Bytes;
using test::kJackWait;

// The window in dir (its Ostrel.ini, a lock of its own), pressing Start and
// then the menu command `then` (0: none) as soon as it can.
std::vector<std::string> WindowIn(const std::string& dir, int then) {
    std::string presses = "QT_QPA_GENERIC_PLUGINS=ostrelpress:" + std::to_string(res::kIdStart);
    if (then != 0) presses += "/" + std::to_string(then);
    std::vector<std::string> argv = {"/usr/bin/env",
                                     "-C",
                                     dir,
                                     "QT_QPA_PLATFORM=offscreen",
                                     "XDG_RUNTIME_DIR=" + dir,
                                     "QT_PLUGIN_PATH=" OSTREL_TEST_PLUGIN_PATH,
                                     presses};
    // PipeWire's libjack finds its server in the runtime folder of the run.
    if (const char* runtime = std::getenv("XDG_RUNTIME_DIR"))
        argv.push_back(std::string("PIPEWIRE_RUNTIME_DIR=") + runtime);
    argv.push_back(OSTREL_WINDOW_PATH);
    return argv;
}

TEST(WindowSignals, ReleaseHeldNotesAndPedalThenEndTheWindow) {
    if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
    const struct {
        int signal;
        int openFirst;  // the menu command whose modal dialog is open at the signal
    } cases[] = {{SIGTERM, 0}, {SIGINT, kCmdExit}, {SIGHUP, kCmdFileOpen}};
    for (const auto& c : cases) {
        SCOPED_TRACE(sigabbrev_np(c.signal));
        test::JackTestClient synth(test::UniqueName("signals-e2e"));
        ASSERT_TRUE(synth.ok()) << "cannot join the JACK server";
        test::TempDir dir;
        test::TempDir::Write(dir.file("Ostrel.ini"), "[DEVNAME]\nMIDIINNAME=" + synth.OutPort() +
                                                         "\nMIDIOUTNAME=" + synth.InPort() + "\n");
        test::ChildProcess window(WindowIn(dir.path(), c.openFirst));

        // Tune requests pass unchanged once the window forwards to the client.
        bool live = false;
        const auto deadline = std::chrono::steady_clock::now() + kJackWait;
        while (!live && std::chrono::steady_clock::now() < deadline) {
            ASSERT_TRUE(synth.Send({0xF6}));
            live = synth.WaitForCount(1, std::chrono::milliseconds(100));
        }
        ASSERT_TRUE(live) << "the window does not forward: " << window.Err();
        if (c.openFirst != 0) {
            ASSERT_TRUE(
                window.WaitForErr("ostrelpress: " + std::to_string(c.openFirst), kJackWait));
        }
        ASSERT_TRUE(synth.WaitUntilPlayed(kJackWait));
        synth.ClearReceived();

        ASSERT_TRUE(synth.Send({0x90, 0x3C, 0x64}));
        ASSERT_TRUE(synth.Send({0xB0, 0x40, 0x7F}));
        ASSERT_TRUE(synth.WaitForCount(2, kJackWait));
        synth.ClearReceived();
        window.Signal(c.signal);
        EXPECT_EQ(window.Wait(kJackWait), 0) << window.Err();
        EXPECT_EQ(synth.Received(), (std::vector<Bytes>{{0x80, 0x3C, 0x40}, {0xB0, 0x40, 0x00}}));
    }
}

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
