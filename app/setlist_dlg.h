#pragma once
// The setlist dialog (template 150): makes and changes a setlist. Add, Remove,
// Up and Down edit the ordered list of the scenes' configuration files; the
// triggers are chosen below it (program changes on a channel, any channel or
// none; the messages that step to the next and the previous scene, as hex; whether
// triggers pass on). Open reads a setlist into the dialog, Save writes it. OK
// saves it (asking where when it has no file yet) and ends the dialog, so that
// the window opens it; Cancel leaves the setlist in use as it was.
#include <QDialog>
#include <string>

#include "core/setlist.h"

class QComboBox;
class QLineEdit;
class QListWidget;

namespace ostrel {

class CSetlistDlg : public QDialog {
    Q_OBJECT
  public:
    // path: the setlist shown first (the one open in the window), or empty.
    explicit CSetlistDlg(const std::string& path, QWidget* parent = nullptr);

    // The setlist's file, as the file calls take it; after OK the one to open.
    const std::string& Path() const { return path_; }

    void accept() override;

  private:
    void OnAdd();
    void OnRemove();
    void OnMove(int step);
    void OnOpen();
    // Writes the setlist; asks where first when ask is set or it has no file yet.
    // False when cancelled or refused (said).
    bool Save(bool ask);
    void Show(const Setlist& setlist);
    // The setlist as the dialog shows it; false, after saying so, when a trigger's
    // text is no message.
    bool Take(Setlist& setlist);
    void AddFile(const std::string& file);

    std::string path_;
    QListWidget* files_ = nullptr;
    QComboBox* program_ = nullptr;
    QComboBox* pass_ = nullptr;
    QLineEdit* next_ = nullptr;
    QLineEdit* previous_ = nullptr;
};

// How a setlist names a scene's file: relative to the setlist's folder when the
// file lies in it or below, else its absolute path (also while the setlist has
// no file yet). Both paths are absolute.
std::string SceneFileName(const std::string& setlistPath, const std::string& filePath);

}  // namespace ostrel
