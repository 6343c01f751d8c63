// The window's setlist: made in the Setlist dialog, stepped with its keys and
// menu, the title and the boxes following the scene in force, box changes kept
// with their scene, the setlist opened again at start and its files read again
// when they change on disk, its triggers learnt from the input.
#include <QAction>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTimer>

#include "app/monitor_dlg.h"
#include "app/setlist_player.h"
#include "main_form_fixture.h"
#include "res/template_setlist.h"
#include "store/ini_file.h"

namespace ostrel::test {
namespace {

constexpr int kKnob1 = 1046;
using Bytes = std::vector<uint8_t>;

class SetlistWindow : public MainFormTest {
  protected:
    // Three scenes that send knob 1 as controller 1, 2 and 3.
    void WriteScenes() {
        for (const char* code : {"001", "002", "003"}) {
            AssignmentTable t;
            t.Set(Entry::KNOB01, code);
            WriteTable((std::string("s") + code + ".cfg").c_str(), t);
        }
    }
    // Knob 1 moved on the keyboard: what the output sent for it.
    Bytes Knob1() {
        midi->ClearSent();
        midi->Deliver({0xB0, 0x4A, 0x40});
        return midi->Sent().empty() ? Bytes{} : midi->Sent()[0];
    }
    QString TitleOf(const char* file, const char* position) const {
        return QString("DO Darivu v1.0 beta   [%1]   scene %2").arg(file, position);
    }
};

TEST_F(SetlistWindow, TheDialogMakesASetlistThatTheKeysStepThroughKeepingEachScenesChanges) {
    WriteScenes();
    StartForm();
    QTest::mouseClick(Button(1004), Qt::LeftButton);  // Start
    for (const char* file : {"s001.cfg", "s003.cfg", "s002.cfg"}) ui.ChooseNext(Path(file));
    ui.ChooseNext(Path("live.setlist"));
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_TRUE(dlg && dlg->objectName() == "CSetlistDlg");
        const auto click = [&](int id) {
            QTest::mouseClick(res::Item<QPushButton>(dlg, id), Qt::LeftButton);
        };
        for (int i = 0; i < 3; ++i) click(res::kSetlistAddId);
        click(res::kSetlistUpId);                                               // s002 before s003
        res::Item<QComboBox>(dlg, res::kSetlistProgramId)->setCurrentIndex(1);  // any channel
        res::Item<QLineEdit>(dlg, res::kSetlistNextId)->setText("b0 76 7f");
        click(1);  // OK: saved, then opened
    });
    frame->Command(kCmdSetlist)->trigger();

    IniFile saved;
    ASSERT_EQ(saved.Load(dir.file("live.setlist")), StoreResult::Ok);
    EXPECT_EQ(saved.Get("SETLIST", "FILE2"), "s002.cfg");  // named from the setlist's folder
    EXPECT_EQ(saved.Get("TRIGGER", "PROGRAM"), "***");
    EXPECT_EQ(saved.Get("TRIGGER", "NEXT"), "B0 76 7F");
    EXPECT_EQ(Setting("SYSTEM", "SETLIST"), dir.file("live.setlist"));
    EXPECT_EQ(Title(), TitleOf("s001.cfg", "1/3"));
    EXPECT_TRUE(Shown(kKnob1).startsWith("001"));
    EXPECT_FALSE(frame->Command(kCmdPreviousScene)->isEnabled());
    EXPECT_EQ(Knob1(), (Bytes{0xB0, 0x01, 0x40}));

    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    Combo(kKnob1)->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);  // Next, with the focus in a box
    EXPECT_EQ(Title(), TitleOf("s002.cfg", "2/3"));
    PickText(kKnob1, "###");
    EXPECT_EQ(Knob1(), Bytes{});
    frame->Command(kCmdNextScene)->trigger();
    frame->Command(kCmdNextScene)->trigger();  // the last scene stays
    EXPECT_EQ(Title(), TitleOf("s003.cfg", "3/3"));
    EXPECT_TRUE(Shown(kKnob1).startsWith("003"));
    // At the last scene Next is disabled and its key says why nothing moves.
    EXPECT_FALSE(frame->Command(kCmdNextScene)->isEnabled());
    EXPECT_TRUE(frame->Command(kCmdPreviousScene)->isEnabled());
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F8);
    EXPECT_EQ(Title(), TitleOf("s003.cfg", "3/3, the last scene"));
    EXPECT_EQ(Knob1(), (Bytes{0xB0, 0x03, 0x40}));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_F7);  // Previous
    EXPECT_TRUE(Shown(kKnob1).startsWith("###"));
    EXPECT_EQ(Knob1(), Bytes{});

    form->OnFileSave();  // writes the scene in view
    IniFile scene2;
    scene2.Load(dir.file("s002.cfg"));
    EXPECT_EQ(scene2.Get("KNOB01", "DATA"), "###");
    // A program change picks a scene; the form follows.
    midi->Deliver({0xC0, 0x00});
    midi->Wake();  // the next cycle: the scene is in force
    ASSERT_TRUE(QTest::qWaitFor([&] { return Title() == TitleOf("s001.cfg", "1/3"); }, 5000));
    frame->findChild<QAction*>("scene3")->trigger();  // picked from the list
    EXPECT_EQ(Knob1(), (Bytes{0xB0, 0x03, 0x40}));

    frame->Command(kCmdCloseSetlist)->trigger();  // the scene goes on as the file in use
    EXPECT_EQ(Title(), "DO Darivu v1.0 beta   [s003.cfg]");
    EXPECT_EQ(Knob1(), (Bytes{0xB0, 0x03, 0x40}));
    EXPECT_EQ(Setting("SYSTEM", "SETLIST"), "");
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(SetlistWindow, TheSetlistOpensAgainAtStartAndAFileChangedOnDiskIsReadAgain) {
    WriteScenes();
    Setlist setlist;
    setlist.files = {"s001.cfg", "missing.cfg", "s002.cfg"};
    ASSERT_EQ(WriteSetlist(dir.file("live.setlist"), setlist), StoreResult::Ok);
    state->settings.WriteValue("SYSTEM", "SETLIST", dir.file("live.setlist").c_str());
    StartForm();
    ASSERT_EQ(ui.shown.size(), 1u);  // the file that is missing is named
    EXPECT_TRUE(ui.shown[0].text.contains("missing.cfg"));
    EXPECT_EQ(Title(), TitleOf("s001.cfg", "1/2"));

    AssignmentTable changed;
    changed.Set(Entry::KNOB01, "009");
    WriteTable("s001.cfg", changed);  // saved by another program
    ASSERT_TRUE(QTest::qWaitFor([&] { return Shown(kKnob1).startsWith("009"); }, 5000));
    QTest::mouseClick(Button(1004), Qt::LeftButton);
    EXPECT_EQ(Knob1(), (Bytes{0xB0, 0x09, 0x40}));
}

TEST_F(SetlistWindow, TheMenuListsAScreenOfScenesAroundTheOneShown) {
    WriteScenes();
    Setlist setlist;
    for (int i = 0; i < 100; ++i) setlist.files.push_back("s001.cfg");
    ASSERT_EQ(WriteSetlist(dir.file("long.setlist"), setlist), StoreResult::Ok);
    state->settings.WriteValue("SYSTEM", "SETLIST", dir.file("long.setlist").c_str());
    StartForm();
    const auto listed = [&](int first) {  // 24 scenes from first on, and no other
        for (int i = 1; i <= 100; ++i)
            if (!frame->findChild<QAction*>(QString("scene%1").arg(i)) !=
                (i < first || i >= first + 24))
                return false;
        return frame->findChild<QAction*>("chooseScene") != nullptr;
    };
    EXPECT_TRUE(listed(1));
    form->Setlist().Go(59);  // scene 60
    EXPECT_TRUE(listed(48));
    EXPECT_TRUE(frame->findChild<QAction*>("scene60")->isChecked());
}

TEST_F(SetlistWindow, LearnTakesTheControlPressedAndTheMonitorNamesTheSceneItStepsTo) {
    WriteScenes();
    Setlist setlist;
    setlist.files = {"s001.cfg", "s002.cfg"};
    ASSERT_EQ(WriteSetlist(dir.file("live.setlist"), setlist), StoreResult::Ok);
    state->settings.WriteValue("SYSTEM", "SETLIST", dir.file("live.setlist").c_str());
    state->settings.WriteValue("MONITOR", "STATE", "1");
    StartForm();  // stopped: learning starts the pass-through while it learns
    QTimer::singleShot(0, [&] {
        QWidget* dlg = QApplication::activeModalWidget();
        ASSERT_TRUE(dlg && dlg->objectName() == "CSetlistDlg");
        const QLabel* told = res::Item<QLabel>(dlg, res::kSetlistLearningId);
        // The field's text once the input received these; logging is as it was.
        const auto learn = [&](int button, int field, const std::vector<Bytes>& received) {
            QTest::mouseClick(res::Item<QPushButton>(dlg, button), Qt::LeftButton);
            EXPECT_TRUE(told->text().startsWith("Press the control now"));
            for (const Bytes& message : received) midi->Deliver(message);
            EXPECT_TRUE(QTest::qWaitFor([&] { return told->text().isEmpty(); }, 5000));
            EXPECT_EQ(state->passThrough->State(), PassThroughState::Stopped);
            return res::Item<QLineEdit>(dlg, field)->text();
        };
        // Clock, active sensing and time code pass by; the press is learnt, not its release.
        EXPECT_EQ(learn(res::kSetlistLearnNextId, res::kSetlistNextId,
                        {{0xF8}, {0xFE}, {0xF1, 0x10}, {0xB0, 0x76, 0x7F}, {0xB0, 0x76, 0x00}}),
                  "B0 76 7F");
        EXPECT_FALSE(state->passThrough->MonitorLogging());
        ShowMonitorWindow(form, *state);  // logging
        EXPECT_EQ(learn(res::kSetlistLearnPreviousId, res::kSetlistPreviousId, {{0xC3, 0x05}}),
                  "C3 05");
        EXPECT_TRUE(state->passThrough->MonitorLogging());
        QTest::mouseClick(res::Item<QPushButton>(dlg, 1), Qt::LeftButton);  // OK: saved, opened
    });
    frame->Command(kCmdSetlist)->trigger();

    QTest::mouseClick(Button(1004), Qt::LeftButton);  // Start
    midi->Deliver({0xB0, 0x76, 0x7F});                // the trigger learnt
    midi->Wake();
    const CMonitorDlg* monitor = form->findChild<CMonitorDlg*>();
    ASSERT_NE(monitor, nullptr);
    EXPECT_TRUE(QTest::qWaitFor(
        [&] { return monitor->Log()->toPlainText().endsWith("    scene 2/2: s002.cfg\n"); }, 5000))
        << monitor->Log()->toPlainText().toStdString();
}

}  // namespace
}  // namespace ostrel::test
