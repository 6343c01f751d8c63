#pragma once
// The setlist dialog (template 150): makes and changes a setlist. Add, Remove,
// Up and Down edit the ordered list of the scenes' configuration files; the
// triggers are chosen below it (program changes on a channel, any channel or
// none; the messages that step to the next and the previous scene, as hex; whether
// triggers pass on; Learn beside NEXT and PREV fills the field with the next
// message that the input receives). Open reads a setlist into the dialog, Save
// writes it. OK saves it (asking where when it has no file yet) and ends the
// dialog, so that the window opens it; Cancel leaves the setlist in use as it was.
#include <QDialog>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

#include "core/setlist.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;

namespace ostrel {

class CSetlistDlg : public QDialog {
    Q_OBJECT
  public:
    // path: the setlist shown first (the one open in the window), or empty.
    explicit CSetlistDlg(const std::string& path, QWidget* parent = nullptr);
    ~CSetlistDlg() override;

    // One short message that the input received.
    using MessageSink = std::function<void(ShortMessage message)>;
    // Hands each message received from now on to sink, or stops with an empty
    // sink. False when the input is not heard now (nothing is handed then).
    using Listen = std::function<bool(MessageSink sink)>;
    // How Learn hears the input; without it the Learn buttons are disabled.
    void SetListener(Listen listen);

    // The setlist's file, as the file calls take it; after OK the one to open.
    const std::string& Path() const { return path_; }

    void accept() override;
    void done(int result) override;

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
    // Learns the trigger of field from the next message received; pressed again
    // while it learns, it stops and the field keeps its text.
    void Learn(QLineEdit* field);
    void Learnt(ShortMessage message);
    void StopLearning();

    std::string path_;
    QListWidget* files_ = nullptr;
    QComboBox* program_ = nullptr;
    QComboBox* pass_ = nullptr;
    QLineEdit* next_ = nullptr;
    QLineEdit* previous_ = nullptr;
    QPushButton* learnNext_ = nullptr;
    QPushButton* learnPrevious_ = nullptr;
    QLabel* learnState_ = nullptr;
    Listen listen_;
    QLineEdit* learning_ = nullptr;  // the field being learnt, or null
};

// How a setlist names a scene's file: relative to the setlist's folder when the
// file lies in it or below, else its absolute path (also while the setlist has
// no file yet). Both paths are absolute.
std::string SceneFileName(const std::string& setlistPath, const std::string& filePath);

}  // namespace ostrel
