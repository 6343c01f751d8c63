// The velocity and touch curve dialogs: opening, the preview column, dragging in
// the editor, Default, Save, Delete, Load and Close, driven through the widgets.
#include <QAccessible>
#include <QCloseEvent>
#include <QKeyEvent>

#include "curve_gui_fixture.h"

namespace ostrel {
namespace {

using test::ListDialogWatcher;
using test::PressCancel;
using test::PreviewTexts;
using test::TypeAndOk;

constexpr int kW = 384, kH = 416;  // 256 x 256 dialog units at the fixed base units
constexpr int kCx = kW / 2, kCy = kH / 2;

const QStringList kIdentityPreview = {"010", "020", "030", "040", "050", "060", "070",
                                      "080", "090", "100", "110", "120", "127"};

class CurveDialogTest : public test::CurveGuiTest {
  protected:
    // Opens the velocity dialog with the given curve id, as the main form would.
    std::unique_ptr<CCurveDlg> Open(const char* id = "***", CurveKind kind = CurveKind::Velocity) {
        std::unique_ptr<CCurveDlg> dlg;
        if (kind == CurveKind::Velocity)
            dlg = std::make_unique<CVelocityCurveDlg>(Services());
        else
            dlg = std::make_unique<CTouchCurveDlg>(Services());
        dlg->SetCurveId(CurveId::FromText(id));
        dlg->show();
        return dlg;
    }
    QWidget* EditorOf(const CCurveDlg& dlg) {
        return dlg.findChild<QWidget*>(dlg.Kind() == CurveKind::Velocity ? "1003" : "1002");
    }
    void Drag(QWidget* editor, QPoint from, QPoint to) {
        QTest::mousePress(editor, Qt::LeftButton, {}, from);
        QTest::mouseMove(editor, to);
        QTest::mouseRelease(editor, Qt::LeftButton, {}, to);
    }
    void Click(const CCurveDlg& dlg, int id) {
        QTest::mouseClick(res::Item<QPushButton>(&dlg, id), Qt::LeftButton);
    }
    CurvePoints Velocity() const { return curves.Of(CurveKind::Velocity).Load(); }
    static CurvePoints At(int fx, int fy, int sx, int sy) { return {fx, fy, sx, sy, kW, kH}; }
};

TEST_F(CurveDialogTest, OpeningMeasuresTheAreaAndShowsTheDefaultCurve) {
    auto dlg = Open("***");
    EXPECT_EQ(dlg->objectName(), "CVelocityCurveDlg");
    EXPECT_EQ(dlg->windowTitle(), "DO Darivu v1.0 beta   -- Velocity Curve Modify");
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowSystemMenuHint);
    QWidget* editor = EditorOf(*dlg);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->size(), QSize(kW, kH));
    EXPECT_EQ(QSize(res::kCurveAreaWidth, res::kCurveAreaHeight), QSize(kW, kH));
    EXPECT_EQ(Velocity(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(dlg->Editor()->GetPoints(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(PreviewTexts(dlg.get()), kIdentityPreview);
    // The touch curve is not touched by the velocity dialog.
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), CurvePoints{});
    // An id that names no entry in use (the library is empty) opens as the default.
    EXPECT_STREQ(Open("000")->GetCurveId().text, "***");
}

TEST_F(CurveDialogTest, TheTouchDialogDiffersOnlyByItsTable) {
    auto dlg = Open("***", CurveKind::Touch);
    EXPECT_EQ(dlg->objectName(), "CTouchCurveDlg");
    EXPECT_EQ(dlg->windowTitle(), "DO Darivu v1.0 beta   --  Touch Curve Modify");
    for (int id : {1002, 1113, 1114, 1115, 1116, 1117, 1025, 1038})
        EXPECT_NE(dlg->findChild<QWidget*>(QString::number(id)), nullptr) << id;
    EXPECT_EQ(dlg->findChild<QWidget*>("1107"), nullptr);
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(Velocity(), CurvePoints{});

    Drag(EditorOf(*dlg), {kCx, kCy}, {100, 300});
    EXPECT_EQ(curves.Of(CurveKind::Touch).Load(), At(100, 300, kCx, kCy));
    EXPECT_EQ(Velocity(), CurvePoints{});
}

TEST_F(CurveDialogTest, DraggingUpdatesThePreviewAndTheCurveInForceDuringTheDrag) {
    auto dlg = Open("***");
    QWidget* editor = EditorOf(*dlg);
    // Both points start at the centre; the press there takes the first point.
    QTest::mousePress(editor, Qt::LeftButton, {}, {kCx, kCy});
    QTest::mouseMove(editor, {96, kCy});
    EXPECT_EQ(Velocity(), At(96, kCy, kCx, kCy));
    EXPECT_EQ(PreviewTexts(dlg.get())[0], "020");  // 10 now lies on a steeper segment
    QTest::mouseRelease(editor, Qt::LeftButton, {}, {96, kCy});

    // The worked example's curve: (64,128) and (192,32) in 256 x 256 are the same
    // fractions of the area as (96,208) and (288,52) in 384 x 416.
    QTest::mousePress(editor, Qt::LeftButton, {}, {kCx, kCy});
    QTest::mouseMove(editor, {288, 52});
    const QStringList preview = PreviewTexts(dlg.get());
    EXPECT_EQ(preview[0], "020");   // 10
    EXPECT_EQ(preview[11], "123");  // 120
    EXPECT_EQ(preview[12], "127");  // 127
    const CurvePoints example{64, 128, 192, 32, 256, 256};
    for (int r = 0; r < res::kPreviewRows; ++r)
        EXPECT_EQ(preview[r], QString::asprintf("%03d", MapValue(example, res::kPreviewInputs[r])))
            << res::kPreviewInputs[r];
    EXPECT_EQ(Velocity(), At(96, 208, 288, 52));
    QTest::mouseRelease(editor, Qt::LeftButton, {}, {288, 52});
    EXPECT_EQ(Velocity(), At(96, 208, 288, 52));
}

TEST_F(CurveDialogTest, AReleaseBeyondTheOtherPointKeepsTheShownCurveInForce) {
    auto dlg = Open("***");
    QWidget* editor = EditorOf(*dlg);
    Drag(editor, {kCx, kCy}, {100, 300});  // first point left of the second
    QTest::mousePress(editor, Qt::LeftButton, {}, {100, 300});
    QTest::mouseMove(editor, {500, -20});  // right of the second point and outside
    QTest::mouseRelease(editor, Qt::LeftButton, {}, {520, -30});
    EXPECT_EQ(dlg->Editor()->GetPoints(), At(kCx, 0, kCx, kCy));
    EXPECT_EQ(Velocity(), At(kCx, 0, kCx, kCy));
}

// Tab reaches the editor at the first point; keys choose and move the points
// within a drag's limits, and the curve in force, the preview and the value a
// screen reader hears follow each key.
TEST_F(CurveDialogTest, TheKeysChooseAndMoveThePointsAsADragWould) {
    auto dlg = Open("***");
    dlg->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(dlg.get()));
    QWidget* editor = EditorOf(*dlg);
    editor->setFocus(Qt::TabFocusReason);
    const struct {
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        CurvePoints after;
    } steps[] = {
        {Qt::Key_Left, {}, At(kCx - 1, kCy, kCx, kCy)},
        {Qt::Key_Up, Qt::ShiftModifier, At(kCx - 1, kCy - 10, kCx, kCy)},
        {Qt::Key_Right, Qt::ShiftModifier, At(kCx, kCy - 10, kCx, kCy)},  // stops at the second
        {Qt::Key_Tab, {}, At(kCx, kCy - 10, kCx, kCy)},                   // the second point
        {Qt::Key_Right, Qt::ShiftModifier, At(kCx, kCy - 10, kCx + 10, kCy)},
        {Qt::Key_1, {}, At(kCx, kCy - 10, kCx + 10, kCy)},  // the first point again
        {Qt::Key_Up, {}, At(kCx, kCy - 11, kCx + 10, kCy)},
    };
    for (const auto& step : steps) {
        QTest::keyClick(editor, step.key, step.modifiers);
        EXPECT_EQ(Velocity(), step.after) << step.key;
    }
    for (int y = 0; y < 30; ++y) QTest::keyClick(editor, Qt::Key_Up, Qt::ShiftModifier);
    EXPECT_EQ(Velocity(), At(kCx, 0, kCx + 10, kCy));  // at the top edge
    const QStringList preview = PreviewTexts(dlg.get());
    for (int r = 0; r < res::kPreviewRows; ++r)
        EXPECT_EQ(preview[r],
                  QString::asprintf("%03d", MapValue(Velocity(), res::kPreviewInputs[r])));
    EXPECT_EQ(QAccessible::queryAccessibleInterface(editor)->text(QAccessible::Value),
              "first point 64 to 127, second point 67 to 64; keys move the first point");
}

TEST_F(CurveDialogTest, DefaultPutsBothPointsInTheMiddle) {
    AddCurves(CurveKind::Velocity, {{"Soft", {10, 20, 30, 40}}});
    auto dlg = Open("000");
    EXPECT_EQ(Velocity(), At(10, 20, 30, 40));
    EXPECT_NE(PreviewTexts(dlg.get()), kIdentityPreview);
    Click(*dlg, 1107);
    EXPECT_EQ(Velocity(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(dlg->Editor()->GetPoints(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(PreviewTexts(dlg.get()), kIdentityPreview);
    EXPECT_STREQ(dlg->GetCurveId().text, "***");
}

TEST_F(CurveDialogTest, SaveUnderANewNameAddsAnEntry) {
    AddCurves(CurveKind::Velocity, {{"Soft", {1, 2, 3, 4}}});
    auto dlg = Open("***");
    Drag(EditorOf(*dlg), {kCx, kCy}, {90, 250});
    ListDialogWatcher watcher([](CCurveListDlg& list) { TypeAndOk(list, "Hard"); });
    Click(*dlg, 1108);
    EXPECT_TRUE(watcher.ran());
    EXPECT_STREQ(dlg->GetCurveId().text, "001");
    EXPECT_EQ(Read("CURVE", "NUMS"), "2");
    EXPECT_EQ(Read("CURVE", "NAME01"), "Hard");
    EXPECT_EQ(Read("CURVE", "FIRSTX01"), "90");
    EXPECT_EQ(Read("CURVE", "FIRSTY01"), "250");
    EXPECT_EQ(Read("CURVE", "SECONDX01"), std::to_string(kCx));
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 2);
    EXPECT_TRUE(ui.shown.empty());  // no question for a new name
}

TEST_F(CurveDialogTest, SaveUnderTheBeginningOfANameOverwritesThatEntryAndKeepsItsName) {
    AddCurves(CurveKind::Velocity, {{"Hard", {1, 2, 3, 4}}, {"Softer", {5, 6, 7, 8}}});
    auto dlg = Open("***");
    Drag(EditorOf(*dlg), {kCx, kCy}, {50, 60});

    // No: the list stays open and nothing changes; then Cancel.
    ui.AnswerNext(res::MsgResult::No);
    bool stayedOpen = false;
    ListDialogWatcher first([&](CCurveListDlg& list) {
        TypeAndOk(list, "soft");
        stayedOpen = list.isVisible();
        PressCancel(list);
    });
    Click(*dlg, 1108);
    EXPECT_TRUE(stayedOpen);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Do you wish to overwrite this setting ?");
    EXPECT_EQ(ui.shown[0].caption, "DO Darivu v1.0 beta");
    EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Information);
    EXPECT_EQ(Read("CURVE", "FIRSTX01"), "5");
    EXPECT_STREQ(dlg->GetCurveId().text, "***");

    ui.AnswerNext(res::MsgResult::Yes);
    ListDialogWatcher second([](CCurveListDlg& list) { TypeAndOk(list, "Soft"); });
    Click(*dlg, 1108);
    EXPECT_STREQ(dlg->GetCurveId().text, "001");
    EXPECT_EQ(Read("CURVE", "NUMS"), "2");
    EXPECT_EQ(Read("CURVE", "NAME01"), "Softer");
    EXPECT_EQ(Read("CURVE", "FIRSTX01"), "50");
    EXPECT_EQ(Read("CURVE", "FIRSTY01"), "60");
}

TEST_F(CurveDialogTest, TheHundredthSaveIsRefusedWithAMessageAndChangesNothing) {
    std::vector<std::pair<std::string, CurvePoints>> many;
    for (int i = 0; i < 99; ++i) many.push_back({"curve" + std::to_string(i), {i, i, 300, 300}});
    AddCurves(CurveKind::Velocity, many);
    const std::string before = test::TempDir::Read(dir.file("Ostrel.ini"));
    auto dlg = Open("005");
    Drag(EditorOf(*dlg), {5, 5}, {40, 80});
    const CurvePoints dragged = Velocity();

    ListDialogWatcher watcher([](CCurveListDlg& list) { TypeAndOk(list, "One more"); });
    Click(*dlg, 1108);
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_TRUE(ui.shown[0].text.contains("99")) << ui.shown[0].text.toStdString();
    EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::Ok);
    EXPECT_EQ(test::TempDir::Read(dir.file("Ostrel.ini")), before);
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 99);
    EXPECT_STREQ(dlg->GetCurveId().text, "005");
    EXPECT_EQ(Velocity(), dragged);

    // Overwriting one of the 99 still works.
    ui.AnswerNext(res::MsgResult::Yes);
    ListDialogWatcher again([](CCurveListDlg& list) { TypeAndOk(list, "curve98"); });
    Click(*dlg, 1108);
    EXPECT_STREQ(dlg->GetCurveId().text, "098");
    EXPECT_EQ(Read("CURVE", "FIRSTX98"), "40");
}

TEST_F(CurveDialogTest, DeleteRenumbersTheEntriesAfterItAndShowsTheDefaultCurve) {
    AddCurves(CurveKind::Velocity,
              {{"A", {1, 1, 2, 2}}, {"B", {3, 3, 4, 4}}, {"C", {5, 5, 6, 6}}, {"D", {7, 7, 8, 8}}});
    auto dlg = Open("003");  // showing D
    EXPECT_EQ(Velocity(), At(7, 7, 8, 8));
    ListDialogWatcher watcher([](CCurveListDlg& list) {
        list.findChild<QListWidget*>("1111")->setCurrentRow(1);  // "B"
        QTest::mouseClick(res::Item<QPushButton>(&list, res::kCurveListOk), Qt::LeftButton);
    });
    Click(*dlg, 1109);
    EXPECT_TRUE(ui.shown.empty());  // no further confirmation
    EXPECT_EQ(Read("CURVE", "NUMS"), "3");
    EXPECT_EQ(Read("CURVE", "NAME01"), "C");
    EXPECT_EQ(Read("CURVE", "FIRSTX01"), "5");
    EXPECT_EQ(Read("CURVE", "NAME02"), "D");
    EXPECT_EQ(libraries.Of(CurveKind::Velocity).count, 3);
    EXPECT_STREQ(dlg->GetCurveId().text, "***");
    EXPECT_EQ(Velocity(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(dlg->Editor()->GetPoints(), At(kCx, kCy, kCx, kCy));
    EXPECT_EQ(PreviewTexts(dlg.get()), kIdentityPreview);
}

TEST_F(CurveDialogTest, LoadRestoresTheSavedPoints) {
    AddCurves(CurveKind::Velocity, {{"Soft", {96, 208, 288, 52}}, {"Hard", {10, 400, 20, 390}}});
    auto dlg = Open("***");
    ListDialogWatcher watcher([](CCurveListDlg& list) { TypeAndOk(list, "so"); });
    Click(*dlg, 1110);
    EXPECT_STREQ(dlg->GetCurveId().text, "000");
    EXPECT_EQ(Velocity(), At(96, 208, 288, 52));
    EXPECT_EQ(dlg->Editor()->GetPoints(), At(96, 208, 288, 52));
    EXPECT_EQ(PreviewTexts(dlg.get())[0], "020");
    EXPECT_EQ(PreviewTexts(dlg.get())[11], "123");
    // The picture shows the loaded points.
    EXPECT_EQ(dlg->Editor()->Picture().pixel(288, 52), qRgb(255, 0, 0));

    // Cancel changes nothing.
    ListDialogWatcher cancel([](CCurveListDlg& list) { PressCancel(list); });
    Click(*dlg, 1110);
    EXPECT_STREQ(dlg->GetCurveId().text, "000");
    EXPECT_EQ(Velocity(), At(96, 208, 288, 52));
}

TEST_F(CurveDialogTest, CloseAsksToSaveAndNoKeepsTheDraggedCurveInForce) {
    auto dlg = Open("***");
    Drag(EditorOf(*dlg), {kCx, kCy}, {60, 100});
    ui.AnswerNext(res::MsgResult::No);
    Click(*dlg, 1111);
    EXPECT_FALSE(dlg->isVisible());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "Do you want to save this curve  !");
    EXPECT_EQ(ui.shown[0].caption, "DO Darivu v1.0 beta");
    EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::YesNo);
    EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Information);
    EXPECT_EQ(Velocity(), At(60, 100, kCx, kCy));
    EXPECT_EQ(Read("CURVE", "NUMS"), "");
}

TEST_F(CurveDialogTest, TheTitleBarCloseAsksAndYesRunsSave) {
    auto dlg = Open("***");
    Drag(EditorOf(*dlg), {kCx, kCy}, {60, 100});
    ui.AnswerNext(res::MsgResult::Yes);
    ListDialogWatcher watcher([](CCurveListDlg& list) { TypeAndOk(list, "Kept"); });
    dlg->close();  // what the close box does
    EXPECT_TRUE(watcher.ran());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(Read("CURVE", "NAME00"), "Kept");
    EXPECT_STREQ(dlg->GetCurveId().text, "000");

    // Cancelling that Save still closes the dialog.
    auto again = Open("000");
    ui.AnswerNext(res::MsgResult::Yes);
    ListDialogWatcher cancel([](CCurveListDlg& list) { PressCancel(list); });
    again->close();
    EXPECT_TRUE(cancel.ran());
    EXPECT_FALSE(again->isVisible());
}

TEST_F(CurveDialogTest, EscapeClosesWithoutAsking) {
    auto dlg = Open("***");
    Drag(EditorOf(*dlg), {kCx, kCy}, {60, 100});
    QTest::keyClick(dlg.get(), Qt::Key_Escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(ui.shown.empty());
    EXPECT_EQ(Velocity(), At(60, 100, kCx, kCy));
}

}  // namespace
}  // namespace ostrel
