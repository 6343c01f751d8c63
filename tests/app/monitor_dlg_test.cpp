// The monitor window: remembered state, Start/Stop/Clear, appending at the caret
// and the emptying beyond 10240 characters, batch by batch as entry by entry.
#include "app/monitor_dlg.h"

#include <gtest/gtest.h>

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <vector>

#include "res/dialog_builder.h"
#include "store/ini_settings.h"
#include "support/temp_dir.h"
#include "tests/app/shell_print.h"

namespace ostrel {
namespace {

class MonitorDlgTest : public ::testing::Test {
  protected:
    MonitorDlgTest() { settings.SetPath(dir.file("Ostrel.ini")); }

    std::unique_ptr<CMonitorDlg> Open() {
        return std::make_unique<CMonitorDlg>(settings,
                                             [this](bool on) { loggingCalls.push_back(on); });
    }
    static QPushButton* Button(QWidget* d, int id) { return res::Item<QPushButton>(d, id); }
    static QString Text(CMonitorDlg& d) { return d.Log()->toPlainText(); }

    test::TempDir dir;
    CIniSettings settings;
    std::vector<bool> loggingCalls;
};

TEST_F(MonitorDlgTest, LayoutFollowsTemplate133) {
    auto dlg = Open();
    EXPECT_EQ(dlg->objectName(), "CMonitorDlg");
    EXPECT_EQ(dlg->windowTitle(), "DO Darivu v1.0 beta   -- Monitor ");
    EXPECT_EQ(Button(dlg.get(), 1106)->text(), "Start");
    EXPECT_EQ(Button(dlg.get(), 1107)->text(), "Stop");
    EXPECT_EQ(Button(dlg.get(), 1110)->text(), "Clear");
    EXPECT_EQ(Button(dlg.get(), 1109)->text(), "Exit");
    ASSERT_NE(res::Item<QPlainTextEdit>(dlg.get(), 1004), nullptr);
    EXPECT_FALSE(dlg->Log()->isReadOnly());
    EXPECT_TRUE(dlg->Log()->toPlainText().isEmpty());
}

TEST_F(MonitorDlgTest, WithoutASettingsFileItOpensWithLoggingOff) {
    auto dlg = Open();
    EXPECT_FALSE(dlg->IsLogging());
    EXPECT_TRUE(Button(dlg.get(), 1106)->isEnabled());
    EXPECT_FALSE(Button(dlg.get(), 1107)->isEnabled());
    EXPECT_EQ(loggingCalls, std::vector<bool>{false});
    EXPECT_EQ(settings.ReadString("MONITOR", "STATE"), "0");
}

TEST_F(MonitorDlgTest, StartIsRememberedAcrossOpenings) {
    {
        auto dlg = Open();
        Button(dlg.get(), 1106)->click();
        EXPECT_TRUE(dlg->IsLogging());
        EXPECT_FALSE(Button(dlg.get(), 1106)->isEnabled());
        EXPECT_TRUE(Button(dlg.get(), 1107)->isEnabled());
        EXPECT_EQ(settings.ReadString("MONITOR", "STATE"), "1");
        Button(dlg.get(), 1109)->click();  // Exit
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
    }
    loggingCalls.clear();
    auto again = Open();
    EXPECT_TRUE(again->IsLogging());
    EXPECT_FALSE(Button(again.get(), 1106)->isEnabled());
    EXPECT_EQ(loggingCalls, std::vector<bool>{true});

    Button(again.get(), 1107)->click();
    EXPECT_FALSE(again->IsLogging());
    EXPECT_EQ(settings.ReadString("MONITOR", "STATE"), "0");
    EXPECT_EQ(loggingCalls, (std::vector<bool>{true, false}));
}

TEST_F(MonitorDlgTest, OnlyAFirstCharacterOneMeansOn) {
    settings.WriteValue("MONITOR", "STATE", "10");
    EXPECT_TRUE(Open()->IsLogging());
    settings.WriteValue("MONITOR", "STATE", "01");
    EXPECT_FALSE(Open()->IsLogging());
    settings.WriteValue("MONITOR", "STATE", "yes");
    EXPECT_FALSE(Open()->IsLogging());
}

TEST_F(MonitorDlgTest, EntriesFollowOneAnotherAndClearEmpties) {
    auto dlg = Open();
    dlg->OnStart();
    dlg->AppendLines({"one\n", "two\r\n"});
    dlg->AppendLines({"three\n"});
    EXPECT_EQ(Text(*dlg), "one\ntwo\nthree\n");
    Button(dlg.get(), 1110)->click();
    EXPECT_EQ(Text(*dlg), "");
    dlg->AppendLines({"four\n"});
    EXPECT_EQ(Text(*dlg), "four\n");
}

TEST_F(MonitorDlgTest, NothingIsAppendedWhileLoggingIsOff) {
    auto dlg = Open();
    dlg->AppendLines({"ignored\n"});
    EXPECT_EQ(Text(*dlg), "");
}

TEST_F(MonitorDlgTest, EntriesGoInAtTheCaretAndTypedTextStays) {
    auto dlg = Open();
    dlg->OnStart();
    dlg->AppendLines({"first\n", "second\n"});
    // The user puts the caret at the start, types, and selects a word.
    QTextCursor c = dlg->Log()->textCursor();
    c.movePosition(QTextCursor::Start);
    dlg->Log()->setTextCursor(c);
    dlg->Log()->insertPlainText("note ");
    c = dlg->Log()->textCursor();
    c.movePosition(QTextCursor::NextWord, QTextCursor::KeepAnchor);
    dlg->Log()->setTextCursor(c);
    dlg->AppendLines({"third\n"});
    // The selection is dropped, not replaced; the entry goes in at the caret, which
    // stands at the end the user dragged to (after "first").
    EXPECT_EQ(Text(*dlg), "note firstthird\n\nsecond\n");
}

TEST_F(MonitorDlgTest, BeyondTheLimitTheLogIsEmptiedAndStartsAgain) {
    auto dlg = Open();
    dlg->OnStart();
    const QString line = QString(99, u'x') + "\n";  // 100 characters
    for (int i = 0; i < 102; ++i) dlg->AppendLines({line});
    EXPECT_EQ(Text(*dlg).size(), 10200);
    dlg->AppendLines({QString(40, u'y')});  // exactly 10240: kept
    EXPECT_EQ(Text(*dlg).size(), 10240);
    dlg->AppendLines({"z"});  // 10241: emptied
    EXPECT_EQ(Text(*dlg), "");
    dlg->AppendLines({"again\n"});
    EXPECT_EQ(Text(*dlg), "again\n");
}

TEST_F(MonitorDlgTest, ABatchEndsAsSingleAppendsWould) {
    const QString line = QString(99, u'x') + "\n";
    QStringList batch;
    for (int i = 0; i < 250; ++i) batch << line;
    batch << "tail\n";

    auto single = Open();
    single->OnStart();
    for (const QString& l : batch) single->AppendLines({l});

    auto batched = Open();
    batched->OnStart();
    batched->AppendLines(batch);

    EXPECT_EQ(Text(*batched), Text(*single));
    // 250 lines: emptied after line 103 and after line 206; 44 lines and the tail remain.
    EXPECT_EQ(Text(*batched).size(), 44 * 100 + 5);
    EXPECT_TRUE(Text(*batched).endsWith("tail\n"));
}

// A reader who scrolled across to the end of long lines stays there while
// new lines arrive; the log still follows them down.
TEST_F(MonitorDlgTest, TheReaderKeepsTheColumnWhileLinesArrive) {
    auto dlg = Open();
    dlg->OnStart();
    dlg->show();
    dlg->AppendLines({QString(400, u'x') + "\n"});
    QScrollBar* across = dlg->Log()->horizontalScrollBar();
    ASSERT_GT(across->maximum(), 100);
    across->setValue(100);
    for (int i = 0; i < 40; ++i) dlg->AppendLines({"short\n"});
    EXPECT_EQ(across->value(), 100);
    EXPECT_GT(dlg->Log()->verticalScrollBar()->value(), 0);
}

// Whatever a hand-over brings, the log shows its end: the caret's line is in view.
TEST_F(MonitorDlgTest, TheLogFollowsItsEndAfterEveryKindOfHandOver) {
    auto dlg = Open();
    dlg->OnStart();
    dlg->show();
    const QString line = QString(49, u'x') + "\n";
    for (const int count : {3, 60, 230, 5}) {  // a few, screens of, an emptying, a few
        dlg->AppendLines(QStringList(count, line));
        const QRect caret = dlg->Log()->cursorRect();
        EXPECT_TRUE(dlg->Log()->viewport()->rect().contains(caret)) << count;
        EXPECT_TRUE(dlg->Log()->textCursor().atEnd()) << count;
    }
    // The lines in view at an emptying, the rest above them later: as one hand-over of all.
    QStringList lines;
    for (int i = 0; i < 400; ++i) lines << QString::number(i).leftJustified(49) + "\n";
    dlg->OnClear();
    MonitorTail tail;
    for (const QString& l : lines) tail.AddLine(l);
    dlg->Show(tail.Take(dlg->LinesInView()));
    ASSERT_TRUE(tail.HoldsBack());
    dlg->Show(tail.TakeHeldBack());
    EXPECT_EQ(Text(*dlg), lines.mid(205).join(QString()));  // 204 fit, the 205th empties
    EXPECT_TRUE(dlg->Log()->viewport()->rect().contains(dlg->Log()->cursorRect()));
}

}  // namespace
}  // namespace ostrel
