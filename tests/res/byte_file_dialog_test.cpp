// The program's file dialog lists, enters and chooses names that are not UTF-8
// under their own bytes.
#include "res/byte_file_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <filesystem>

#include "res/path_bytes.h"
#include "support/temp_dir.h"

namespace ostrel::res {
namespace {

QStringList Listed(const ByteFileDialog& dlg) {
    QStringList texts;
    auto* list = dlg.findChild<QListWidget*>("files");
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

TEST(PathBytes, EveryNameComesBackAsItsOwnBytes) {
    for (const std::string bytes : {"/sets/caf\xE9.cfg", "/sets/caf\xC3\xA9.cfg", "a\xC3",
                                    "\xED\xA0\x80", "\xF0\x9F\x8E\xB9 \xFF"})
        EXPECT_EQ(PathBytes(PathFromBytes(bytes)), bytes);
    EXPECT_EQ(PathShown(PathFromBytes("caf\xE9.cfg")), QStringLiteral("caf\uFFFD.cfg"));
    EXPECT_EQ(PathFromBytes("caf\xC3\xA9.cfg"), QStringLiteral("caf\u00E9.cfg"));
}

TEST(ByteFileDialog, ListsEntersAndChoosesNamesThatAreNotUtf8) {
    test::TempDir dir;
    const std::string folder = dir.file("set\xE9");
    std::filesystem::create_directory(folder);
    test::TempDir::Write(dir.file("caf\xE9.cfg"), "x");
    test::TempDir::Write(dir.file("notes.txt"), "x");
    test::TempDir::Write(folder + "/in.cfg", "x");
    const FileDialogSpec open{false, "config file (*.cfg)|*.cfg||", "cfg", "*.cfg"};
    {
        test::ScopedCwd cwd(dir.path());
        ByteFileDialog dlg(open);
        EXPECT_EQ(Listed(dlg), (QStringList{"set\uFFFD/", "caf\uFFFD.cfg"}));
        auto* list = dlg.findChild<QListWidget*>("files");
        emit list->itemActivated(list->item(0));
        EXPECT_EQ(dlg.Folder(), folder);
        EXPECT_EQ(Listed(dlg), QStringList{"in.cfg"});
        dlg.Enter(dir.path());
        list->setCurrentRow(1);
        dlg.accept();
        EXPECT_EQ(dlg.result(), QDialog::Accepted);
        EXPECT_EQ(dlg.ChosenPath(), dir.file("caf\xE9.cfg"));
        EXPECT_EQ(dlg.ChosenName(), "caf\xE9.cfg");
    }
    // Save started in that folder proposes the folder itself.
    test::ScopedCwd cwd(folder);
    ByteFileDialog save({true, open.filter, "cfg", "midi.cfg"});
    EXPECT_EQ(save.Folder(), folder);
    save.findChild<QLineEdit*>("name")->setText("new");
    save.accept();
    EXPECT_EQ(save.ChosenPath(), folder + "/new.cfg");
}

}  // namespace
}  // namespace ostrel::res
