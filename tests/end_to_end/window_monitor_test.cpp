// The whole program over a private JACK server: the window starts on ports
// chosen in its settings file, the user sets knob 1 to controller 7, presses
// Start and opens the monitor; a knob message from a JACK client arrives
// translated at the client's input, and its line appears in the monitor.
// Runs under scripts/with-jack.sh (make test); skipped without JACK_DEFAULT_SERVER.
#include <gtest/gtest.h>

#include <QComboBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <chrono>

#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/monitor_dlg.h"
#include "app/ostrel_app.h"
#include "midi/jack_midi_system.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"
#include "res/dialog_builder.h"
#include "support/jack_test_client.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"
#include "tests/app/shell_print.h"

namespace ostrel {
namespace {

TEST(WindowOverJack, KnobMessageIsTranslatedAndShownInTheMonitor) {
    if (!test::JackServerGiven()) GTEST_SKIP() << test::kNoJackServer;
    test::JackTestClient keys(test::UniqueName("shell-e2e"));
    ASSERT_TRUE(keys.ok()) << "cannot join the JACK server";

    test::TempDir dir;
    test::ScopedCwd cwd(dir.path());
    test::ScriptedUi ui;
    // The window's input listens to the client's "out", its output goes to the
    // client's "in": remembered by name.
    test::TempDir::Write(dir.file("Ostrel.ini"), "[DEVNAME]\nMIDIINNAME=" + keys.OutPort() +
                                                     "\nMIDIOUTNAME=" + keys.InPort() + "\n");

    COstrelApp::Options options;
    options.lockPath = dir.file("MutexRunning");
    options.midi = std::make_unique<JackMidiSystem>();
    COstrelApp app(std::move(options));
    ASSERT_TRUE(app.InitInstance());
    AppState& state = *app.State();
    CMainFrame* frame = app.Frame();
    ASSERT_TRUE(state.ports->Connected(PortDirection::Input));
    ASSERT_TRUE(state.ports->Connected(PortDirection::Output));
    EXPECT_EQ(state.passThrough->State(), PassThroughState::Stopped);

    // Knob 1 becomes controller 7; Start.
    auto* knob1 = res::Item<QComboBox>(frame, 1046);
    ASSERT_NE(knob1, nullptr);
    const int item = res::FindItemWithPrefix(knob1, "007");
    ASSERT_GE(item, 0);
    knob1->setCurrentIndex(item);
    emit knob1->activated(item);  // as a pick in the opened list reports it
    EXPECT_TRUE(state.table.Get(Entry::KNOB01).Is("007"));
    res::Item<QPushButton>(frame, 1004)->click();
    ASSERT_EQ(state.passThrough->State(), PassThroughState::Running);

    // Ports that joined the graph a moment ago may miss their first cycles on a
    // loaded machine: probe with tune requests (passed unchanged) until one comes
    // through, then forget them. The monitor empties its queue when it opens.
    bool live = false;
    const auto deadline = std::chrono::steady_clock::now() + test::kJackWait;
    while (!live && std::chrono::steady_clock::now() < deadline) {
        ASSERT_TRUE(keys.Send({0xF6}));
        live = keys.WaitForCount(1, std::chrono::milliseconds(100));
    }
    ASSERT_TRUE(live) << "no message came through the window's pass-through";
    ASSERT_TRUE(keys.WaitUntilPlayed(test::kJackWait));
    keys.ClearReceived();

    res::Item<QPushButton>(frame, 1006)->click();  // Monitor, beside the form
    auto* monitor = frame->findChild<CMonitorDlg*>();
    ASSERT_NE(monitor, nullptr);
    res::Item<QPushButton>(monitor, 1106)->click();  // Start logging
    ASSERT_TRUE(keys.Send({0xB0, 0x4A, 0x40}));
    EXPECT_TRUE(keys.WaitForCount(1, test::kJackWait));
    EXPECT_TRUE(QTest::qWaitFor([&] { return !monitor->Log()->toPlainText().isEmpty(); },
                                static_cast<int>(test::kJackWait.count())));
    const QString shown = monitor->Log()->toPlainText();
    res::Item<QPushButton>(monitor, 1109)->click();  // Exit

    const auto received = keys.Received();
    ASSERT_EQ(received.size(), 1u);
    EXPECT_EQ(received[0], (test::Bytes{0xB0, 0x07, 0x40}));
    EXPECT_TRUE(shown.endsWith("    B0 4A 40       =>   B0 07 40       \n")) << shown.toStdString();
    EXPECT_EQ(state.settings.ReadString("MONITOR", "STATE"), "1");
}

}  // namespace
}  // namespace ostrel
