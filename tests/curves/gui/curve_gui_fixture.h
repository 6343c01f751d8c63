#pragma once
// Shared pieces of the curve window tests: a settings file in a scratch folder,
// the libraries and current curves, scripted message boxes, and a way to act on
// the curve list dialog that a curve dialog runs modally.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <functional>
#include <memory>
#include <string>

#include "curves/gui/curve_dialog.h"
#include "curves/gui/curve_editor.h"
#include "curves/gui/curve_list_dlg.h"
#include "res/dialog_builder.h"
#include "res/template_curve.h"
#include "store/ini_settings.h"
#include "support/modal_watcher.h"
#include "support/scripted_ui.h"
#include "support/temp_dir.h"

namespace ostrel::test {

// Acts on the next curve list dialog as soon as it runs modally.
using ListDialogWatcher = ModalWatcher<CCurveListDlg>;

// Types name into the list dialog's edit box and presses OK.
inline void TypeAndOk(CCurveListDlg& dlg, const QString& name) {
    res::Item<QLineEdit>(&dlg, res::kCurveListNameEdit)->setText(name);
    QTest::mouseClick(res::Item<QPushButton>(&dlg, res::kCurveListOk), Qt::LeftButton);
}

inline void PressCancel(CCurveListDlg& dlg) {
    QTest::mouseClick(res::Item<QPushButton>(&dlg, res::kCurveListCancel), Qt::LeftButton);
}

class CurveGuiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(settings.SetPath(dir.file("Ostrel.ini")));
        LoadCurveLibraries(settings, libraries, curves);
    }

    CurveDialogServices Services() { return {settings, curves, libraries}; }

    // Adds named velocity or touch curves to file and library, as a Save would.
    void AddCurves(CurveKind kind, const std::vector<std::pair<std::string, CurvePoints>>& list) {
        for (const auto& [name, p] : list)
            ASSERT_EQ(AddCurve(kind, name.c_str(), p.firstX, p.firstY, p.secondX, p.secondY,
                               settings, libraries)
                          .result,
                      CurveStoreResult::Ok);
    }

    std::string Read(const char* section, const char* key) const {
        return settings.ReadString(section, key);
    }

    TempDir dir;
    CIniSettings settings;
    CurveLibraries libraries;
    CurrentCurves curves;
    ScriptedUi ui;
};

// The texts of the preview column, top to bottom.
inline QStringList PreviewTexts(const QWidget* dlg) {
    QStringList texts;
    for (int id : res::kPreviewOutputIds) texts << res::Item<QLabel>(dlg, id)->text();
    return texts;
}

}  // namespace ostrel::test
