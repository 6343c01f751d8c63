// The main form's V.Curve and A.Touch buttons: the curve box's id goes into the
// curve dialog, and afterwards the box lists the library again and the id that
// the dialog ended with is the box's choice, exactly as a pick in the box makes
// it: in the table and as the curve in force.
#include <QListWidget>

#include "curves/gui/curve_dialog.h"
#include "curves/gui/curve_editor.h"
#include "curves/gui/curve_list_dlg.h"
#include "main_form_fixture.h"
#include "res/template_curve.h"
#include "res/template_main_form.h"
#include "support/modal_watcher.h"

namespace ostrel {
namespace {

constexpr int kVelocityBox = 1069, kTouchBox = 1070;

class MainFormCurveButtons : public test::MainFormTest {
  protected:
    void SetUp() override {
        test::TempDir::Write(dir.file("Ostrel.ini"),
                             "[CURVE]\nNUMS=2\n"
                             "NAME00=flat\nFIRSTX00=1\nFIRSTY00=2\nSECONDX00=300\nSECONDY00=4\n"
                             "NAME01=soft\nFIRSTX01=10\nFIRSTY01=20\nSECONDX01=30\nSECONDY01=40\n");
        LoadCurveLibraries(state->settings, state->curveLibraries, state->curves);
        StartForm();
    }
    CurvePoints Velocity() const { return state->curves.Of(CurveKind::Velocity).Load(); }
    static void ClickItem(QWidget* dlg, int id) {
        QTest::mouseClick(res::Item<QPushButton>(dlg, id), Qt::LeftButton);
    }
    // Names the curve in the list dialog that the curve dialog opens next.
    static void Answer(CCurveListDlg& list, const char* name) {
        res::Item<QLineEdit>(&list, res::kCurveListNameEdit)->setText(name);
        ClickItem(&list, res::kCurveListOk);
    }
};

TEST_F(MainFormCurveButtons, SaveInTheDialogShowsTheNewCurveInTheBoxAfterwards) {
    ASSERT_EQ(Shown(kVelocityBox), "***     -- Default");
    CurvePoints saved, afterDrag;
    QString idHandedIn;
    test::ModalWatcher<CVelocityCurveDlg> dialog([&](CVelocityCurveDlg& dlg) {
        idHandedIn = QString::fromLatin1(dlg.GetCurveId().text);
        QWidget* editor = dlg.findChild<QWidget*>("1003");
        const QPoint centre(res::kCurveAreaWidth / 2, res::kCurveAreaHeight / 2);
        QTest::mousePress(editor, Qt::LeftButton, {}, centre);
        QTest::mouseMove(editor, {100, 300});
        QTest::mouseRelease(editor, Qt::LeftButton, {}, {100, 300});
        test::ModalWatcher<CCurveListDlg> list([](CCurveListDlg& l) { Answer(l, "Punchy"); });
        ClickItem(&dlg, 1108);  // Save
        saved = Velocity();
        // Dragged again after the Save, and never saved.
        QTest::mousePress(editor, Qt::LeftButton, {}, {100, 300});
        QTest::mouseMove(editor, {120, 280});
        QTest::mouseRelease(editor, Qt::LeftButton, {}, {120, 280});
        afterDrag = Velocity();
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    ClickItem(form, res::kIdVelocityCurveButton);
    ASSERT_TRUE(dialog.ran());
    EXPECT_EQ(idHandedIn, "***");

    QComboBox* box = Combo(kVelocityBox);
    ASSERT_EQ(box->count(), 4);
    EXPECT_EQ(box->itemText(3), "002     -- Punchy");
    EXPECT_EQ(box->currentIndex(), 3);
    EXPECT_EQ(Shown(kVelocityBox), "002     -- Punchy");
    // The box's choice is CURVE and the curve that plays, so Save stores what plays.
    EXPECT_EQ(Code(Entry::CURVE), "002");
    EXPECT_EQ(Velocity(), saved);
    EXPECT_NE(Velocity(), afterDrag);
}

TEST_F(MainFormCurveButtons, TheBoxsCurveGoesInAndADeleteLeavesTheDefaultShown) {
    PickText(kVelocityBox, "001");
    ASSERT_EQ(Code(Entry::CURVE), "001");
    CurvePoints shownInEditor;
    test::ModalWatcher<CVelocityCurveDlg> dialog([&](CVelocityCurveDlg& dlg) {
        shownInEditor = dlg.Editor()->GetPoints();
        test::ModalWatcher<CCurveListDlg> list([](CCurveListDlg& l) { Answer(l, "flat"); });
        ClickItem(&dlg, 1109);  // Delete entry 0
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    ClickItem(form, res::kIdVelocityCurveButton);
    ASSERT_TRUE(dialog.ran());
    EXPECT_EQ(shownInEditor.firstX, 10);
    EXPECT_EQ(shownInEditor.secondY, 40);

    QComboBox* box = Combo(kVelocityBox);
    ASSERT_EQ(box->count(), 2);
    EXPECT_EQ(box->itemText(1), "000     -- soft");
    EXPECT_EQ(Shown(kVelocityBox), "***     -- Default");
    EXPECT_EQ(Code(Entry::CURVE), "***");
}

TEST_F(MainFormCurveButtons, ATouchSaveEndsUpInTheTouchBoxOnly) {
    test::ModalWatcher<CTouchCurveDlg> dialog([&](CTouchCurveDlg& dlg) {
        test::ModalWatcher<CCurveListDlg> list([](CCurveListDlg& l) { Answer(l, "Gentle"); });
        ClickItem(&dlg, 1114);  // Save
        QTest::keyClick(&dlg, Qt::Key_Escape);
    });
    ClickItem(form, res::kIdTouchCurveButton);
    ASSERT_TRUE(dialog.ran());
    EXPECT_EQ(Shown(kTouchBox), "000     -- Gentle");
    EXPECT_EQ(Combo(kTouchBox)->count(), 2);
    EXPECT_EQ(Combo(kVelocityBox)->count(), 3);
    EXPECT_EQ(Setting("TOUCH", "NAME00"), "Gentle");
    EXPECT_EQ(Code(Entry::TOUCH), "000");
    EXPECT_EQ(Code(Entry::CURVE), "***");
}

}  // namespace
}  // namespace ostrel
