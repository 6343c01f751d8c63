// The frame window: title, menu with its exact texts, ids and keys, the exit
// question on every way out, the help page and web site, the About box.
#include <gtest/gtest.h>

#include <QAction>
#include <QDesktopServices>
#include <QLabel>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSignalSpy>
#include <QSystemTrayIcon>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <cstring>

#include "app/main_frame.h"
#include "res/dialog_builder.h"
#include "support/scripted_ui.h"
#include "tests/app/shell_fixture.h"
#include "tests/app/shell_print.h"

namespace ostrel {
namespace {

using res::MsgResult;

// Collects the addresses that the frame asks the desktop to open.
class UrlCatcher : public QObject {
    Q_OBJECT
  public:
    UrlCatcher() {
        QDesktopServices::setUrlHandler("file", this, "Open");
        QDesktopServices::setUrlHandler("https", this, "Open");
    }
    ~UrlCatcher() override {
        QDesktopServices::unsetUrlHandler("file");
        QDesktopServices::unsetUrlHandler("https");
    }
    QList<QUrl> opened;
  public slots:
    void Open(const QUrl& url) { opened.append(url); }
};

class FrameTest : public ::testing::Test {
  protected:
    test::ShellState shell;
    CMainFrame frame{*shell.state};
};

TEST_F(FrameTest, TitleNamesTheConfigurationFileInUse) {
    EXPECT_EQ(CMainFrame::TitleFor(""), "DO Darivu v1.0 beta   [default]");
    EXPECT_EQ(CMainFrame::TitleFor("midi.cfg"), "DO Darivu v1.0 beta   [midi.cfg]");
    EXPECT_EQ(frame.windowTitle(), "DO Darivu v1.0 beta   [default]");
    shell.state->fileInUse.Use("/sets/live set.cfg", "live set.cfg");
    frame.UpdateTitle();
    EXPECT_EQ(frame.windowTitle(), "DO Darivu v1.0 beta   [live set.cfg]");
    shell.state->fileInUse.Forget();
    frame.UpdateTitle();
    EXPECT_EQ(frame.windowTitle(), "DO Darivu v1.0 beta   [default]");
}

TEST_F(FrameTest, MenuItemsCarryTheirExactTextsIdsAndKeys) {
    struct Expected {
        const char* menu;
        const char* id;
        const char* text;
        const char* keys;
    };
    const Expected items[] = {
        {"&File", "32774", "&New                Ctrl+N", "Ctrl+N"},
        {"&File", "32775", "&Open              Ctrl+O", "Ctrl+O"},
        {"&File", "32776", "&Save               Ctrl+S", "Ctrl+S"},
        {"&File", "32777", "Save &As          Ctrl+A", "Ctrl+A"},
        {"&File", nullptr, nullptr, nullptr},  // separator
        {"&File", "57665", "E&xit                  Alt+X", "Alt+X"},
        {"S&etup", "32773", "&Midi driver                Ctrl+M", "Ctrl+M"},
        {"Se&tlist", "32778", "&Setlist...                 Ctrl+L", "Ctrl+L"},
        {"Se&tlist", "32779", "&Next scene               F8", "F8"},
        {"Se&tlist", "32780", "&Previous scene        F7", "F7"},
        {"Se&tlist", "32781", "&Close setlist", ""},
        {"&Help", "32771", "&ReadMe                 Ctrl+R", "Ctrl+R"},
        {"&Help", "32772", "&WebSite                 Ctrl+W", "Ctrl+W"},
        {"&Help", "57664", "A&bout                     Ctrl+B", "Ctrl+B"},
    };
    const QList<QAction*> menus = frame.menuBar()->actions();
    ASSERT_EQ(menus.size(), 4);
    EXPECT_EQ(menus[0]->text(), "&File");
    EXPECT_EQ(menus[1]->text(), "S&etup");
    EXPECT_EQ(menus[2]->text(), "Se&tlist");
    EXPECT_EQ(menus[3]->text(), "&Help");
    size_t next = 0;
    for (QAction* m : menus) {
        for (QAction* a : m->menu()->actions()) {
            ASSERT_LT(next, std::size(items));
            const Expected& e = items[next++];
            EXPECT_EQ(m->text(), e.menu);
            if (!e.id) {
                EXPECT_TRUE(a->isSeparator());
                continue;
            }
            EXPECT_EQ(a->objectName(), e.id);
            EXPECT_EQ(a->text(), e.text);
            EXPECT_EQ(a->shortcut(), QKeySequence(QString::fromLatin1(e.keys)));
            EXPECT_EQ(frame.Command(QString(e.id).toInt()), a);
        }
    }
    EXPECT_EQ(next, std::size(items));
}

TEST_F(FrameTest, EveryWayOutAsksTheSameQuestionAndNoKeepsRunning) {
    test::ScriptedUi ui;
    frame.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    QSignalSpy exiting(&frame, &CMainFrame::Exiting);

    ui.AnswerNext(MsgResult::No);
    frame.close();  // the close box
    ui.AnswerNext(MsgResult::No);
    frame.Command(kCmdExit)->trigger();  // File > Exit
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    ui.AnswerNext(MsgResult::No);
    QTest::keyClick(&frame, Qt::Key_X, Qt::AltModifier);  // Alt+X

    ASSERT_EQ(ui.shown.size(), 3u);
    for (const auto& shown : ui.shown) {
        EXPECT_EQ(shown.text, "Do you want to exit the program ?");
        EXPECT_EQ(shown.caption, "DO Darivu v1.0 beta ");
        EXPECT_EQ(shown.buttons, res::MsgButtons::YesNo);
        EXPECT_EQ(shown.icon, res::MsgIcon::Information);
    }
    EXPECT_TRUE(frame.isVisible());
    EXPECT_EQ(exiting.count(), 0);
}

TEST_F(FrameTest, YesClosesTheFrame) {
    test::ScriptedUi ui;
    frame.show();
    QSignalSpy exiting(&frame, &CMainFrame::Exiting);
    ui.AnswerNext(MsgResult::Yes);
    frame.Command(kCmdExit)->trigger();
    EXPECT_FALSE(frame.isVisible());
    EXPECT_EQ(exiting.count(), 1);
    EXPECT_EQ(ui.shown.size(), 1u);
}

TEST_F(FrameTest, ReadMeOpensTheHelpPageOfTheStartDirectory) {
    test::TempDir::Write(shell.dir.file("Readme.htm"), "<html/>");
    UrlCatcher catcher;
    {
        test::TempDir elsewhere;
        test::ScopedCwd moved(elsewhere.path());  // as a file dialog may have done
        frame.Command(kCmdReadMe)->trigger();
    }
    ASSERT_EQ(catcher.opened.size(), 1);
    EXPECT_EQ(catcher.opened[0],
              QUrl::fromLocalFile(QString::fromStdString(shell.dir.file("Readme.htm"))));
}

TEST_F(FrameTest, ReadMeSaysWhenThePageIsNowhereOrNothingCanShowIt) {
    test::ScriptedUi ui;
    frame.Command(kCmdReadMe)->trigger();  // no Readme.htm in any folder searched
    test::TempDir::Write(shell.dir.file("Readme.htm"), "<html/>");
    {
        // No viewer: nothing on the search path that could open a page.
        test::TempDir emptyPath;
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QByteArray::fromStdString(emptyPath.path()));
        frame.Command(kCmdReadMe)->trigger();
        qputenv("PATH", path);
    }
    ASSERT_EQ(ui.shown.size(), 2u);
    EXPECT_TRUE(ui.shown[0].text.startsWith("The help page Readme.htm was not found. Looked in:\n" +
                                            QString::fromStdString(shell.dir.path()) + "\n"));
    EXPECT_EQ(ui.shown[1].text, "No program could open the help page\n" +
                                    QString::fromStdString(shell.dir.file("Readme.htm")) +
                                    "\nOpen it with a web browser.");
    for (const auto& shown : ui.shown) {
        EXPECT_EQ(shown.caption, "DO Darivu v1.0 beta");
        EXPECT_EQ(shown.icon, res::MsgIcon::Error);
    }
}

TEST_F(FrameTest, WebSiteOpensTheWebAddressOrSaysThatNoBrowserCould) {
    test::ScriptedUi ui;
    {
        UrlCatcher catcher;
        frame.Command(kCmdWebSite)->trigger();
        EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl(QString::fromLatin1(kWebSiteAddress))});
    }
    test::TempDir emptyPath;  // no browser on the search path
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QByteArray::fromStdString(emptyPath.path()));
    frame.Command(kCmdWebSite)->trigger();
    qputenv("PATH", path);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.shown[0].text.startsWith("No web browser could open the web site\n"));
}

TEST_F(FrameTest, CtrlBRunsTheAboutBox) {
    frame.show();
    frame.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&frame));
    bool seen = false;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        ASSERT_NE(about, nullptr);
        seen = true;
        EXPECT_EQ(about->objectName(), "CAboutDlg");
        EXPECT_EQ(about->windowTitle(), "About DO darivu v1.0 beta");
        EXPECT_EQ(about->size(), QSize(345, 310));  // 230 x 191 dialog units
        auto* picture = about->findChild<QLabel*>();
        ASSERT_NE(picture, nullptr);
        EXPECT_FALSE(picture->pixmap().isNull());
        EXPECT_FALSE(about->windowIcon().isNull());
        auto* ok = res::Item<QPushButton>(about, 1);
        ASSERT_NE(ok, nullptr);
        EXPECT_EQ(ok->text(), "OK");
        ok->click();
    });
    QTest::keyClick(&frame, Qt::Key_B, Qt::ControlModifier);
    EXPECT_TRUE(seen);
    EXPECT_EQ(QApplication::activeModalWidget(), nullptr);
}

TEST_F(FrameTest, WithoutATrayMinimisingKeepsTheWindowReachable) {
    if (QSystemTrayIcon::isSystemTrayAvailable()) GTEST_SKIP() << "a tray is available here";
    frame.show();
    frame.showMinimized();
    QTest::qWait(20);
    EXPECT_TRUE(frame.isVisible());
    frame.RestoreFromTray();
    EXPECT_FALSE(frame.isMinimized());
    EXPECT_TRUE(frame.isVisible());
}

TEST_F(FrameTest, TrayIconCarriesTheTip) {
    ASSERT_NE(frame.TrayIcon(), nullptr);
    EXPECT_EQ(frame.TrayIcon()->toolTip(), "DO Darivu");
    EXPECT_FALSE(frame.TrayIcon()->icon().isNull());
}

TEST_F(FrameTest, HostsTheMainForm) {
    auto* form = new QWidget;
    frame.SetMainForm(form);
    EXPECT_EQ(frame.MainForm(), form);
    EXPECT_EQ(form->parentWidget(), &frame);
}

}  // namespace
}  // namespace ostrel

#include "shell_frame_test.moc"
