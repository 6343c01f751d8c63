// The form's buttons and the frame's menu commands reach the form's handlers.
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>
#include <functional>

#include "app/monitor_dlg.h"
#include "main_form_fixture.h"

namespace ostrel::test {
namespace {

class MainFormCommands : public MainFormTest {
  protected:
    void SetUp() override { StartForm(); }

    // Runs `open`, which is to show a modal dialog; the dialog is ended with
    // accept (true) or reject (false) as soon as it runs. Returns its objectName.
    QString EndNextDialog(const std::function<void()>& open, bool accept) {
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
            if (!dlg) return;
            seen = dlg->objectName();
            accept ? dlg->accept() : dlg->reject();
        });
        open();
        return seen;
    }
};

TEST_F(MainFormCommands, MonitorButtonOpensOneMonitorThatLeavesTheFormUsable) {
    QTest::mouseClick(Button(1006), Qt::LeftButton);
    QTest::mouseClick(Button(1006), Qt::LeftButton);  // brings the open one to the front
    const auto monitors = form->findChildren<CMonitorDlg*>();
    ASSERT_EQ(monitors.size(), 1);
    EXPECT_TRUE(monitors[0]->isVisible());
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

// Panic, by its button and by Ctrl+P, stopped or not: every channel silenced.
TEST_F(MainFormCommands, PanicSilencesEveryChannelByButtonAndKey) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    Combo(1046)->setFocus();
    for (const bool byKey : {false, true}) {
        midi->ClearSent();
        if (byKey)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_P, Qt::ControlModifier);
        else
            QTest::mouseClick(Button(1122), Qt::LeftButton);
        const auto sent = midi->Sent();
        ASSERT_EQ(sent.size(), 48u) << "by key: " << byKey;
        EXPECT_EQ(sent.back(), (FakeMidiSystem::Bytes{0xBF, 123, 0}));
    }
}

TEST_F(MainFormCommands, MidiDriverCommandTakesTheChoicesOnlyAfterOk) {
    QAction* command = frame->Command(kCmdMidiDriver);
    ASSERT_NE(command, nullptr);
    EXPECT_EQ(EndNextDialog([&] { command->trigger(); }, false), "CMidiDriverDlg");
    EXPECT_EQ(Setting("DEVNAME", "MIDIINNAME"), "");
    EXPECT_EQ(EndNextDialog([&] { command->trigger(); }, true), "CMidiDriverDlg");
    EXPECT_EQ(Setting("DEVNAME", "MIDIINNAME"), "Fake Keyboard:out");
    EXPECT_EQ(Setting("DEVNAME", "MIDIOUT"), "0");
    EXPECT_EQ(midi->Connections(PortDirection::Input),
              std::vector<std::string>{"Fake Keyboard:out"});
}

TEST_F(MainFormCommands, FileMenuCommandsRunTheFileOperations) {
    PickText(1046, "007");
    ui.ChooseNext(Path("menu.cfg"));
    frame->Command(kCmdFileSave)->trigger();
    EXPECT_EQ(Title(), "DO Darivu v1.0 beta   [menu.cfg]");

    frame->Command(kCmdFileNew)->trigger();
    EXPECT_EQ(Code(Entry::KNOB01), "***");
    EXPECT_EQ(Title(), "DO Darivu v1.0 beta   [default]");

    ui.ChooseNext(Path("menu.cfg"));
    frame->Command(kCmdFileOpen)->trigger();
    EXPECT_EQ(Code(Entry::KNOB01), "007");

    ui.ChooseNext(Path("other.cfg"));
    frame->Command(kCmdFileSaveAs)->trigger();
    EXPECT_EQ(ui.fileSpecs.size(), 3u);
    EXPECT_EQ(Title(), "DO Darivu v1.0 beta   [menu.cfg]");
}

TEST_F(MainFormCommands, CtrlAIsSaveAsInTheBoxesAndSelectsAllInATextField) {
    frame->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frame.get()));
    QLineEdit field(form);  // a real text field beside the boxes
    field.setText("a name");
    field.show();
    for (QWidget* focus :
         std::initializer_list<QWidget*>{Combo(1046), Button(res::kIdMonitor), &field}) {
        const size_t dialogs = ui.fileSpecs.size();
        focus->setFocus();
        Combo(1046)->lineEdit()->deselect();
        field.deselect();
        ui.ChooseNext("");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_A, Qt::ControlModifier);
        const bool saveAs = focus != &field;
        ASSERT_EQ(ui.fileSpecs.size(), dialogs + (saveAs ? 1 : 0));
        EXPECT_TRUE(!saveAs || ui.fileSpecs.back().save);
        EXPECT_EQ(field.selectedText(), saveAs ? "" : "a name");
        EXPECT_EQ(Combo(1046)->lineEdit()->selectedText(), "");
    }
    EXPECT_EQ(Code(Entry::KNOB01), "***");
}

}  // namespace
}  // namespace ostrel::test

namespace ostrel::test {
namespace {

// With no MIDI system, Start says why, once, without blocking anything; a newer
// notice about the MIDI system replaces it.
class MainFormMidiSystem : public MainFormTest {};

TEST_F(MainFormMidiSystem, NoMidiSystemIsSaidOnceWithoutBlockingAndNewerNoticesReplaceIt) {
    midi->SetServerAvailable(false);
    StartForm();
    for (int i = 0; i < 2; ++i) {
        QTest::mouseClick(Button(1004), Qt::LeftButton);
        QTest::mouseClick(Button(1005), Qt::LeftButton);
    }
    // Said once, in a notice that blocks nothing; the notice that the server
    // is found replaces it.
    EXPECT_TRUE(ui.shown.empty());
    const auto notices = form->findChildren<QMessageBox*>("MidiNotice");
    ASSERT_EQ(notices.size(), 1);
    QMessageBox* notice = notices[0];
    EXPECT_TRUE(notice->text().startsWith("No MIDI system: the fake server is away"))
        << notice->text().toStdString();
    EXPECT_EQ(notice->icon(), QMessageBox::Critical);
    EXPECT_FALSE(notice->isModal());

    midi->SetServerAvailable(true);  // found within two seconds
    ASSERT_TRUE(QTest::qWaitFor([&] { return !notice->text().startsWith("No MIDI"); }, 20000));
    EXPECT_EQ(form->findChildren<QMessageBox*>("MidiNotice").size(), 1);
    EXPECT_EQ(notice->icon(), QMessageBox::Information);

    // Above an open dialog, and still up when the dialog closes.
    QDialog dialog(frame.get());
    dialog.setModal(true);
    dialog.show();
    midi->LoseServer();
    EXPECT_TRUE(QTest::qWaitFor([&] { return notice->text().contains("has stopped"); }, 20000));
    EXPECT_EQ(notice->parentWidget(), &dialog);
    EXPECT_TRUE(notice->isVisible());
    dialog.hide();
    EXPECT_EQ(notice->parentWidget(), form);
    EXPECT_TRUE(notice->isVisible());
}

}  // namespace
}  // namespace ostrel::test
