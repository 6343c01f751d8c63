#pragma once
// Helpers of the dump dialog tests: choosing a list entry the way the user does,
// dump bytes, .syx files and the file dialog that saves them.
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>
#include <cstdint>
#include <string>
#include <vector>

#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "support/temp_dir.h"
#include "sysex/bulk_dump.h"

namespace ostrel::test {

// Opens the list and clicks the entry at position, as the user picks it.
inline void ChooseEntry(QComboBox* combo, int position) {
    combo->showPopup();
    QAbstractItemView* view = combo->view();
    const QModelIndex index = view->model()->index(position, 0);
    view->scrollTo(index);
    const QRect rect = view->visualRect(index);
    QTest::mouseClick(view->viewport(), Qt::LeftButton, {}, rect.center());
    QApplication::processEvents();
}

// The 59 bytes of the template.
inline std::vector<uint8_t> TemplateBytes() {
    std::vector<uint8_t> bytes;
    HexTextToByteVector(kDumpTemplateText, bytes);
    return bytes;
}

// Bytes of hex text (blanks allowed).
inline std::vector<uint8_t> BytesOf(const std::string& hexText) {
    std::vector<uint8_t> bytes;
    HexTextToByteVector(hexText, bytes);
    return bytes;
}

inline void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
    TempDir::Write(path, std::string(bytes.begin(), bytes.end()));
}

inline std::vector<uint8_t> ReadBytes(const std::string& path) {
    const std::string content = TempDir::Read(path);
    return std::vector<uint8_t>(content.begin(), content.end());
}

// Both dump dialogs save through the same file dialog: .syx files, "midi.syx" offered.
inline void ExpectSyxSaveDialog(const res::FileDialogSpec& dialog) {
    EXPECT_TRUE(dialog.save);
    EXPECT_EQ(dialog.initialName, "midi.syx");
    EXPECT_EQ(dialog.filter, "SysData file (*.syx)|*.syx||");
    EXPECT_EQ(dialog.defaultExtension, "syx");
}

inline QString ShownText(const QWidget* dialog, int id) {
    if (auto* box = res::Item<QPlainTextEdit>(dialog, id)) return box->toPlainText();
    return res::Item<QLineEdit>(dialog, id)->text();
}

}  // namespace ostrel::test
