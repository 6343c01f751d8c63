// The program's file dialog lists, enters and chooses names that are not UTF-8
// under their own bytes.
#include "res/byte_file_dialog.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <QListWidget>
#include <filesystem>

#include "support/temp_dir.h"

namespace ostrel::res {
namespace {

QStringList Listed(QListWidget* list) {
    QStringList texts;
    for (int i = 0; i < list->count(); ++i) texts << list->item(i)->text();
    return texts;
}

TEST(ByteFileDialog, ListsEntersAndChoosesNamesThatAreNotUtf8) {
    test::TempDir dir;
    const std::string folder = dir.file("set\xE9");
    std::filesystem::create_directory(folder);
    for (const char* name : {"caf\xE9.cfg", "notes.txt", "set\xE9/in.cfg"})
        test::TempDir::Write(dir.file(name), "x");
    const FileDialogSpec open{false, "config file (*.cfg)|*.cfg||", "cfg", "*.cfg"};
    {
        test::ScopedCwd cwd(dir.path());
        ByteFileDialog dlg(open);
        auto* list = dlg.findChild<QListWidget*>("files");
        EXPECT_EQ(Listed(list), (QStringList{"set\uFFFD/", "caf\uFFFD.cfg"}));
        emit list->itemActivated(list->item(0));
        EXPECT_EQ(Listed(list), QStringList{"in.cfg"});
        dlg.Enter(dir.path());
        list->setCurrentRow(1);
        dlg.accept();
        EXPECT_EQ(dlg.ChosenPath(), dir.file("caf\xE9.cfg"));
    }
    // Save started in that folder proposes the folder itself.
    test::ScopedCwd cwd(folder);
    ByteFileDialog save({true, open.filter, "cfg", "midi.cfg"});
    save.findChild<QLineEdit*>("name")->setText("new");
    save.accept();
    EXPECT_EQ(save.ChosenPath(), folder + "/new.cfg");
}

}  // namespace
}  // namespace ostrel::res
