// The curve list dialog "Settings": the list as the settings file holds it, the
// edit box, the prefix match and what each mode answers.
#include "curve_gui_fixture.h"

namespace ostrel {
namespace {

class CurveListDlgTest : public test::CurveGuiTest {
  protected:
    std::unique_ptr<CCurveListDlg> Open(CCurveListDlg::Mode mode,
                                        CurveKind kind = CurveKind::Velocity) {
        auto dlg = std::make_unique<CCurveListDlg>(settings, kind, mode);
        dlg->show();
        return dlg;
    }
    static QListWidget* List(const CCurveListDlg& d) {
        return res::Item<QListWidget>(&d, res::kCurveListList);
    }
    static QLineEdit* Edit(const CCurveListDlg& d) {
        return res::Item<QLineEdit>(&d, res::kCurveListNameEdit);
    }
    static QStringList Texts(const CCurveListDlg& d) {
        QStringList t;
        for (int i = 0; i < List(d)->count(); ++i) t << List(d)->item(i)->text();
        return t;
    }
};

TEST_F(CurveListDlgTest, ListsTheKindsNamesInLibraryOrder) {
    test::TempDir::Write(dir.file("Ostrel.ini"),
                         "[CURVE]\nNUMS=3\nNAME00=zeta\nNAME01=Alpha\nNAME02=mid\n"
                         "[TOUCH]\nNUMS=1\nNAME00=Light\n");
    auto velocity = Open(CCurveListDlg::kLoad);
    EXPECT_EQ(velocity->objectName(), "CCurveListDlg");
    EXPECT_EQ(velocity->windowTitle(), "Settings");
    EXPECT_EQ(Texts(*velocity), (QStringList{"zeta", "Alpha", "mid"}));  // not sorted
    auto touch = Open(CCurveListDlg::kLoad, CurveKind::Touch);
    EXPECT_EQ(Texts(*touch), QStringList{"Light"});
}

// A name made on Windows shows as the text it is there; the file keeps its bytes.
TEST_F(CurveListDlgTest, NamesThatAreNoUtf8ShowAsWindows1252) {
    const std::string ini =
        "[CURVE]\nNUMS=3\nNAME00=R\xE9"
        "cital \x93"
        "B\x94\nNAME01=\xC3\xA9t\xC3\xA9\n"
        "NAME02=\xC0\xAF\xED\xA0\x80\n";  // an overlong '/', a surrogate: no UTF-8
    test::TempDir::Write(dir.file("Ostrel.ini"), ini);
    auto dlg = Open(CCurveListDlg::kLoad);
    EXPECT_EQ(Texts(*dlg), (QStringList{QStringLiteral(u"R\u00E9cital \u201CB\u201D"),
                                        QStringLiteral(u"\u00E9t\u00E9"),
                                        QStringLiteral(u"\u00C0\u00AF\u00ED\u00A0\u20AC")}));
    test::TypeAndOk(*dlg, QStringLiteral(u"R\u00E9c"));
    EXPECT_EQ(dlg->Result(), 0);
    EXPECT_EQ(test::TempDir::Read(dir.file("Ostrel.ini")), ini);
}

TEST_F(CurveListDlgTest, AnEmptyCountListsNothingAndACountPastTheLibraryStopsAt99) {
    test::TempDir::Write(dir.file("Ostrel.ini"), "[CURVE]\nNUMS=\nNAME00=ghost\n");
    EXPECT_EQ(List(*Open(CCurveListDlg::kLoad))->count(), 0);

    std::string text = "[CURVE]\nNUMS=120\n";
    for (int i = 0; i < 120; ++i)
        text += "NAME" + QString::asprintf("%02d", i).toStdString() + "=n\n";
    test::TempDir::Write(dir.file("Ostrel.ini"), text);
    EXPECT_EQ(List(*Open(CCurveListDlg::kLoad))->count(), 99);
}

TEST_F(CurveListDlgTest, ChoosingAnItemPutsItsNameInTheEditBox) {
    AddCurves(CurveKind::Velocity, {{"Soft", {}}, {"Hard", {}}});
    auto dlg = Open(CCurveListDlg::kLoad);
    List(*dlg)->setCurrentRow(1);
    EXPECT_EQ(Edit(*dlg)->text(), "Hard");
    List(*dlg)->setCurrentRow(0);
    EXPECT_EQ(Edit(*dlg)->text(), "Soft");
}

TEST_F(CurveListDlgTest, OkFindsTheFirstNameBeginningWithTheTextIgnoringCase) {
    AddCurves(CurveKind::Velocity, {{"Hard", {}}, {"Softest", {}}, {"Soft", {}}});
    auto dlg = Open(CCurveListDlg::kLoad);
    test::TypeAndOk(*dlg, "SOFT");
    EXPECT_EQ(dlg->result(), QDialog::Accepted);
    EXPECT_EQ(dlg->Result(), 1);
    EXPECT_EQ(dlg->Name(), "SOFT");

    auto del = Open(CCurveListDlg::kDelete);
    test::TypeAndOk(*del, "h");
    EXPECT_EQ(del->Result(), 0);
    EXPECT_TRUE(ui.shown.empty());
}

TEST_F(CurveListDlgTest, DeleteAndLoadOfAMissingNameSayNoAndStayOpen) {
    struct Case {
        CCurveListDlg::Mode mode;
        const char* message;
    };
    for (const Case c : {Case{CCurveListDlg::kDelete, "No Item Will be deleted ! "},
                         Case{CCurveListDlg::kLoad, "No Item Will be Load  ! "}}) {
        ui.shown.clear();
        auto dlg = Open(c.mode);  // empty library
        test::TypeAndOk(*dlg, "x");
        EXPECT_TRUE(dlg->isVisible());
        ASSERT_EQ(ui.shown.size(), 1u);
        EXPECT_EQ(ui.shown[0].text, c.message);
        EXPECT_EQ(ui.shown[0].caption, "DO Darivu v1.0 beta");
        EXPECT_EQ(ui.shown[0].buttons, res::MsgButtons::Ok);
        EXPECT_EQ(ui.shown[0].icon, res::MsgIcon::Information);
        test::PressCancel(*dlg);
        EXPECT_EQ(dlg->result(), QDialog::Rejected);
    }
}

TEST_F(CurveListDlgTest, DeleteWithAnEmptyNameDeletesNothing) {
    AddCurves(CurveKind::Velocity, {{"Soft", {}}});
    auto dlg = Open(CCurveListDlg::kDelete);
    test::TypeAndOk(*dlg, "");
    EXPECT_TRUE(dlg->isVisible());
    ASSERT_EQ(ui.shown.size(), 1u);
    EXPECT_EQ(ui.shown[0].text, "No Item Will be deleted ! ");
}

}  // namespace
}  // namespace ostrel
