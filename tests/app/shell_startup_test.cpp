// Start-up: one copy only (the lock, across processes), what is read from the
// settings file before the check, and the frame that comes out of it.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <QApplication>
#include <QTest>
#include <cstdlib>
#include <filesystem>
#include <functional>

#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/ostrel_app.h"
#include "app/single_instance.h"
#include "midi/port_keeper.h"
#include "support/fake_midi_system.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace ostrel {
namespace {

// Runs Acquire in a child process: 0 First, 1 AlreadyRunning, 2 Failed.
int AcquireInChild(const std::string& path) {
    const pid_t pid = fork();
    if (pid == 0) {
        SingleInstanceLock lock;
        const InstanceCheck r = lock.Acquire(path);
        _exit(r == InstanceCheck::First ? 0 : r == InstanceCheck::AlreadyRunning ? 1 : 2);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

TEST(SingleInstanceLock, SecondAttemptIsRefusedUntilTheFirstIsReleased) {
    test::TempDir dir;
    const std::string path = dir.file("MutexRunning");
    SingleInstanceLock first, second;
    EXPECT_EQ(first.Acquire(path), InstanceCheck::First);
    EXPECT_EQ(second.Acquire(path), InstanceCheck::AlreadyRunning);
    EXPECT_FALSE(second.Held());
    EXPECT_EQ(AcquireInChild(path), 1);  // another process sees the running copy
    first.Release();
    EXPECT_EQ(second.Acquire(path), InstanceCheck::First);
}

TEST(SingleInstanceLock, TheMarkDisappearsWithTheProcess) {
    test::TempDir dir;
    const std::string path = dir.file("MutexRunning");
    EXPECT_EQ(AcquireInChild(path), 0);  // the child ends without releasing
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire(path), InstanceCheck::First);
    EXPECT_EQ(AcquireInChild(path), 1);
}

TEST(SingleInstanceLock, AFolderThatCannotHoldTheFileFails) {
    SingleInstanceLock lock;
    EXPECT_EQ(lock.Acquire("/nonexistent-folder/MutexRunning"), InstanceCheck::Failed);
}

TEST(SingleInstanceLock, PathUsesTheRuntimeDirectory) {
    const char* old = std::getenv("XDG_RUNTIME_DIR");
    const std::string saved = old ? old : "";
    setenv("XDG_RUNTIME_DIR", "/run/user/4242", 1);
    EXPECT_EQ(SingleInstanceLockPath(), "/run/user/4242/MutexRunning");
    unsetenv("XDG_RUNTIME_DIR");
    EXPECT_EQ(SingleInstanceLockPath(), "/tmp/MutexRunning-" + std::to_string(getuid()));
    if (old) setenv("XDG_RUNTIME_DIR", saved.c_str(), 1);
}

// What another user can plant at a mark in a shared folder is neither opened nor a
// block: the mark moves to a private folder, and says so.
TEST(SingleInstanceLock, WhatIsPlantedAtTheMarkIsLeftAloneAndAPrivateFolderServes) {
    test::TempDir dir;
    const std::string mark = dir.file("MutexRunning-1000"), victim = dir.file("victim");
    const std::string own = dir.file("cache/ostrel"), other = dir.file("other");
    test::TempDir::Write(other, "");
    const std::pair<const char*, std::function<bool()>> plants[] = {
        {"link", [&] { return symlink(victim.c_str(), mark.c_str()) == 0; }},
        {"folder", [&] { return mkdir(mark.c_str(), 0777) == 0; }},
        {"fifo", [&] { return mkfifo(mark.c_str(), 0666) == 0; }},
        {"second name", [&] { return link(other.c_str(), mark.c_str()) == 0; }},
        {"another user's file",
         [&] {  // needs root
             test::TempDir::Write(mark, "");
             return chown(mark.c_str(), 65534, 65534) == 0 || !std::filesystem::remove(mark);
         }},
    };
    for (const auto& [what, plant] : plants) {
        SCOPED_TRACE(what);
        if (!plant()) continue;
        SingleInstanceLock lock, second;
        std::string notice;
        EXPECT_EQ(lock.Acquire(mark), InstanceCheck::Unsafe);
        EXPECT_EQ(lock.AcquireOrFallBack(mark, own, notice), InstanceCheck::First);
        EXPECT_EQ(notice, mark + " is not a regular file of this user; using " + own +
                              "/MutexRunning instead");
        EXPECT_EQ(second.AcquireOrFallBack(mark, own, notice), InstanceCheck::AlreadyRunning);
        EXPECT_FALSE(std::filesystem::exists(victim));
        struct stat st;
        EXPECT_TRUE(stat(own.c_str(), &st) == 0 && (st.st_mode & 0777) == 0700);
        std::filesystem::remove(mark);
    }
}

class StartUpTest : public ::testing::Test {
  protected:
    COstrelApp::Options Options() {
        COstrelApp::Options o;
        o.lockPath = dir.file("MutexRunning");
        o.midi = std::make_unique<FakeMidiSystem>(std::vector<std::string>{"In A", "In B", "In C"},
                                                  std::vector<std::string>{"Out A", "Out B"});
        return o;
    }

    test::TempDir dir;
    test::ScopedCwd cwd{dir.path()};
    test::ScriptedUi ui;
};

TEST_F(StartUpTest, ReadsTheSettingsAndShowsTheTitledFrame) {
    test::TempDir::Write(dir.file("Ostrel.ini"),
                         "[DEVNAME]\nMIDIIN=2\n"
                         "[CURVE]\nNUMS=1\nNAME00=soft\nFIRSTX00=10\nFIRSTY00=20\n"
                         "SECONDX00=30\nSECONDY00=40\n"
                         "[CURSE]\nX0=11\nY0=12\nX1=13\nY1=14\n");
    COstrelApp app(Options());
    ASSERT_TRUE(app.InitInstance());
    AppState& state = *app.State();
    EXPECT_EQ(std::string(state.settings.Path()), dir.file("Ostrel.ini"));
    EXPECT_EQ(state.programDirectory, dir.path());
    // A settings file without port names: the positions in today's lists.
    EXPECT_EQ(state.ports->Chosen(PortDirection::Input), "In C");
    EXPECT_EQ(state.ports->Chosen(PortDirection::Output), "Out A");  // absent key: the first
    EXPECT_EQ(state.curveLibraries.Of(CurveKind::Velocity).count, 1);
    EXPECT_STREQ(state.curveLibraries.Of(CurveKind::Velocity).entries[0].name, "soft");

    CMainFrame* frame = app.Frame();
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    // 790 by 570, or taller where the main form needs it: the whole form is seen.
    EXPECT_EQ(frame->width(), 790);
    EXPECT_GE(frame->height(), 570);
    if (QWidget* form = frame->MainForm()) {
        EXPECT_TRUE(frame->rect().contains(form->geometry())) << "the main form is cut off";
    }
    EXPECT_EQ(frame->windowTitle(), "DO Darivu v1.0 beta   [default]");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(StartUpTest, ASecondCopyIsToldAndEndsLeavingTheFirstUntouched) {
    COstrelApp first(Options());
    ASSERT_TRUE(first.InitInstance());

    COstrelApp second(Options());
    EXPECT_FALSE(second.InitInstance());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "System Has Excuted This Program  !");
    EXPECT_EQ(ui.shown[0].caption, "Ostrel");
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Stop);
    EXPECT_EQ(second.Frame(), nullptr);
    EXPECT_TRUE(first.Frame()->isVisible());
}

TEST_F(StartUpTest, WithoutASettingsFileEverythingReadsAsZero) {
    COstrelApp app(Options());
    ASSERT_TRUE(app.InitInstance());
    EXPECT_EQ(app.State()->ports->Chosen(PortDirection::Input), "In A");
    EXPECT_EQ(app.State()->ports->Chosen(PortDirection::Output), "Out A");
    EXPECT_EQ(app.State()->curveLibraries.Of(CurveKind::Touch).count, 0);
}

TEST(StartUpMidi, AnUnknownMidiSystemChosenInTheEnvironmentIsKeptForTheUser) {
    const char* given = std::getenv("OSTREL_MIDI_API");
    const std::string before = given ? given : "";
    setenv("OSTREL_MIDI_API", "bogus", 1);
    AppState state;  // JACK, which may still come, and the reason
    if (given)
        setenv("OSTREL_MIDI_API", before.c_str(), 1);
    else
        unsetenv("OSTREL_MIDI_API");
    EXPECT_EQ(state.midiProblem, "OSTREL_MIDI_API is 'bogus'; valid values: jack, pipewire, alsa");
}

}  // namespace
}  // namespace ostrel
