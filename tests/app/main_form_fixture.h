#pragma once
// A running main form on a fake MIDI system, with its settings file and its
// configuration files in a fresh folder, and scripted answers for dialogs.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <memory>

#include "app/app_state.h"
#include "app/ostrel_view.h"
#include "app/main_frame.h"
#include "core/config_file.h"
#include "support/fake_midi_system.h"
#include "midi/pass_through.h"
#include "res/dialog_builder.h"
#include "res/template_main_form.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace ostrel::test {

class MainFormTest : public ::testing::Test {
  protected:
    MainFormTest() {
        auto system = std::make_unique<FakeMidiSystem>();
        midi = system.get();
        state = std::make_unique<AppState>(std::move(system));
        state->settings.SetPath(dir.file("Ostrel.ini"));
    }

    // Builds the frame and the form and shows them: the form's first showing.
    void StartForm() {
        frame = std::make_unique<CMainFrame>(*state);
        form = new COstrelView(*state, frame.get());
        frame->SetMainForm(form);
        frame->show();
    }

    QComboBox* Combo(int id) const {
        QComboBox* c = res::Item<QComboBox>(form, id);
        EXPECT_NE(c, nullptr) << "combo " << id;
        return c;
    }
    QPushButton* Button(int id) const { return res::Item<QPushButton>(form, id); }

    // The user opens the list and chooses item `item` with the keyboard.
    void Pick(int id, int item) {
        QComboBox* c = Combo(id);
        ASSERT_TRUE(c->isEnabled()) << "combo " << id;
        c->showPopup();
        QAbstractItemView* view = c->view();
        ASSERT_TRUE(view->isVisible());
        view->setCurrentIndex(view->model()->index(item, 0));
        QTest::keyClick(view, Qt::Key_Return);
        ASSERT_FALSE(view->isVisible());
    }
    // Picks the first item that begins with prefix.
    void PickText(int id, const QString& prefix) {
        const int item = res::FindItemWithPrefix(Combo(id), prefix);
        ASSERT_GE(item, 0) << prefix.toStdString();
        Pick(id, item);
    }

    std::string Code(Entry e) const { return state->table.Get(e).text; }
    std::string Note(int n) const { return state->table.GetNote(n).text; }
    QString Shown(int id) const { return Combo(id)->currentText(); }
    QString Title() const { return frame->windowTitle(); }
    std::string Setting(const char* section, const char* key) const {
        return state->settings.ReadString(section, key);
    }

    // File commands answered with a file of the test's folder.
    QString Path(const char* name) const { return QString::fromStdString(dir.file(name)); }
    void Open(const char* name) {
        ui.ChooseNext(Path(name));
        form->OnFileOpen();
    }
    void SaveAs(const char* name) {
        ui.ChooseNext(Path(name));
        form->OnFileSaveAs();
    }
    // A file written with the program's own layout from the given table.
    void WriteTable(const char* name, const AssignmentTable& table) {
        ASSERT_EQ(WriteConfig(dir.file(name).c_str(), table), StoreResult::Ok);
    }

    TempDir dir;
    ScopedCwd cwd{dir.path()};
    ScriptedUi ui;
    FakeMidiSystem* midi = nullptr;
    std::unique_ptr<AppState> state;
    std::unique_ptr<CMainFrame> frame;  // owns the form
    COstrelView* form = nullptr;
};

}  // namespace ostrel::test
