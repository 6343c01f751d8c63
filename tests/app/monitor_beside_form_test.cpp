// The monitor stays open beside the form: a box changed meanwhile shows in the
// next line, and the log's context item names the entry that decided each line.
#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QWindow>

#include "app/event_pump.h"
#include "app/monitor_dlg.h"
#include "app/monitor_feed.h"
#include "main_form_fixture.h"
#include "res/template_monitor.h"

namespace ostrel::test {
namespace {

class MonitorBesideForm : public MainFormTest {
  protected:
    void SetUp() override {
        state->settings.WriteValue("MONITOR", "STATE", "1");
        StartForm();
        Button(res::kIdStart)->click();
    }
    CMonitorDlg* OpenMonitor() {
        Button(res::kIdMonitor)->click();
        return form->findChild<CMonitorDlg*>();
    }
    // The lines shown, without their 17 characters of time.
    QStringList Lines(CMonitorDlg* dlg) const {
        state->events->Drain();
        dlg->findChild<MonitorFeed*>()->Flush();  // without waiting for its interval
        QStringList lines = dlg->Log()->toPlainText().split(u'\n', Qt::SkipEmptyParts);
        for (QString& line : lines) line.remove(0, 17);
        return lines;
    }
};

TEST_F(MonitorBesideForm, ABoxChangedWhileItIsOpenChangesTheNextLine) {
    CMonitorDlg* dlg = OpenMonitor();
    ASSERT_NE(dlg, nullptr);
    midi->Deliver({0xB0, 0x4A, 0x40});
    PickText(1046, "007");
    midi->Deliver({0xB0, 0x4A, 0x40});
    EXPECT_EQ(Lines(dlg), (QStringList{"    B0 4A 40       =>   B0 4A 40       ",
                                       "    B0 4A 40       =>   B0 07 40       "}));
}

TEST_F(MonitorBesideForm, TheDecidingEntryItemAddsEntryNamesAndIsRemembered) {
    CMonitorDlg* dlg = OpenMonitor();
    std::unique_ptr<QMenu> menu(dlg->CreateLogMenu());
    ASSERT_TRUE(menu->actions().contains(dlg->ExplainItem()));
    EXPECT_EQ(dlg->ExplainItem()->text(), "Show the deciding entry");
    EXPECT_FALSE(dlg->ExplainItem()->isChecked());

    PickText(1046, "007");
    midi->Deliver({0x90, 0x3C, 0x40});
    state->events->Drain();  // shown before the item is checked
    dlg->ExplainItem()->trigger();
    EXPECT_EQ(Setting("MONITOR", "EXPLAIN"), "1");
    midi->Deliver({0xB0, 0x4A, 0x40});
    midi->Deliver({0xF6});  // decided by no entry: as without the item
    EXPECT_EQ(Lines(dlg), (QStringList{"    90 3C 40       =>   90 3C 40       ",
                                       "    B0 4A 40       =>   B0 07 40 [KNOB01 007]",
                                       "    F6 00 00       =>   F6 00 00       "}));

    res::Item<QPushButton>(dlg, res::kMonitorExitId)->click();
    EXPECT_EQ(OpenMonitor(), dlg);
    EXPECT_TRUE(dlg->ExplainItem()->isChecked());
    midi->Deliver({0x90, 0x3C, 0x40});
    EXPECT_EQ(Lines(dlg), QStringList{"    90 3C 40       =>   90 3C 40 [NOTE 3C ***]"});
}

// A window of its own, no transient of the form's window: it minimises alone
// and has its own task bar entry.
TEST_F(MonitorBesideForm, TheMonitorIsAWindowOfItsOwn) {
    CMonitorDlg* dlg = OpenMonitor();
    EXPECT_EQ(dlg->windowType(), Qt::Window);
    ASSERT_NE(dlg->windowHandle(), nullptr);
    EXPECT_EQ(dlg->windowHandle()->transientParent(), nullptr);
}

// The window can be resized (the log takes the room) and the size and place
// the user gives it are there again at the next run.
TEST_F(MonitorBesideForm, TheSizeAndPlaceTheUserGivesItAreKeptForTheNextRun) {
    CMonitorDlg* dlg = OpenMonitor();
    const QRect given(30, 40, 900, 420);
    dlg->resize(given.size());
    dlg->move(given.topLeft());
    auto* exit = res::Item<QPushButton>(dlg, res::kMonitorExitId);
    EXPECT_EQ(dlg->size(), given.size());
    EXPECT_GT(dlg->Log()->width(), 800);
    EXPECT_LT(dlg->Log()->geometry().right(), exit->x());
    EXPECT_LE(exit->geometry().right(), given.width());
    exit->click();
    EXPECT_EQ(Setting("MONITOR", "LEFT") + " " + Setting("MONITOR", "TOP") + " " +
                  Setting("MONITOR", "WIDTH") + " " + Setting("MONITOR", "HEIGHT"),
              "30 40 900 420");

    frame.reset();
    StartForm();
    dlg = OpenMonitor();
    EXPECT_EQ(QRect(dlg->pos(), dlg->size()), given);  // the frame's corner, the inner size
}

}  // namespace
}  // namespace ostrel::test
