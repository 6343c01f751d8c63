#pragma once
// The Open and Save dialog of the program's files. It lists a folder by the
// bytes the system gives, so a file or folder whose name is not UTF-8 (Latin-1
// names copied from Windows) is listed, shown with the replacement character
// where needed, and chosen under its own bytes; Qt's own dialog leaves such
// names out and cannot enter such folders.
#include <QDialog>
#include <string>
#include <vector>

#include "res/message_box_seam.h"

class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;

namespace ostrel::res {

class ByteFileDialog : public QDialog {
    Q_OBJECT
  public:
    // Starts in the current folder, with request's initial name in the name field.
    ByteFileDialog(const FileDialogSpec& request, QWidget* parent = nullptr);

    // The folder listed, as bytes.
    const std::string& Folder() const { return folder_; }
    void Enter(const std::string& folder);
    // After Accepted: the chosen file as bytes, with its folder and without.
    const std::string& ChosenPath() const { return chosenPath_; }
    const std::string& ChosenName() const { return chosenName_; }

    void accept() override;

  private:
    void Fill();
    void OnActivated(QListWidgetItem* item);
    bool Matches(const std::string& name) const;

    FileDialogSpec request_;
    std::vector<std::string> patterns_;  // "*.cfg" as the suffix ".cfg"; empty: all
    std::string folder_;
    std::string nameBytes_;  // the name of the item chosen in the list, as bytes
    std::string chosenPath_, chosenName_;
    QLabel* where_ = nullptr;
    QListWidget* list_ = nullptr;
    QLineEdit* name_ = nullptr;
};

}  // namespace ostrel::res
