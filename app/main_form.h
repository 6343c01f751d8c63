#pragma once
// The main form (template 101): one combo box per entry of the assignment table,
// the Start, Stop and Monitor buttons, the curve and bulk dump buttons, and the
// File commands. The combos are only a view on the table: every pick in a list
// is written into the table at once; typed text never is.
#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "app/main_form_combos.h"

class QComboBox;
class QPushButton;

namespace ostrel {

struct AppState;
class CMainFrame;
class CDumpSendDlg;
class CDumpReceiveDlg;

class COstrelView : public QWidget {
    Q_OBJECT
  public:
    // frame: the window whose File and Setup commands the form serves and whose
    // title names the configuration file in use; may be null (no title, no menu).
    COstrelView(AppState& state, CMainFrame* frame, QWidget* parent = nullptr);
    // Stopped, input closed, output closed.
    ~COstrelView() override;

    // The form's start, run once at its first showing: Stopped, curve lists
    // filled, the remembered configuration file read (or the defaults), title,
    // ports opened. Calling it again does nothing.
    void InitialUpdate();

    // Reads a configuration file without a dialog and shows it; the name and path
    // in use are not changed. A missing or unreadable file gives the defaults.
    void LoadConfig(const std::string& path);

    // The text that typed text was last completed to, in any combo.
    const QString& LastItemText() const { return lastItemText_; }

  public slots:
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnMidiDriver();
    void OnStart();
    void OnStop();
    void OnMonitor();
    // V.Curve and A.Touch: the velocity and touch curve dialogs, for the curve
    // that the curve box shows; afterwards the dialog's curve is the box's choice.
    void OnVelocityCurve();
    void OnTouchCurve();
    // Bulk dump dialogs: one object each for the whole run, opened modally.
    void OnBulkSend();
    void OnBulkReceive();
    // The send dialog's hand-over: sends blank-free hex text as one System
    // Exclusive message, showing the transmission's refusal with the form as owner.
    void SendSysEx(const std::string& hexDigits);
    // Stopped, input closed, output closed (destruction and a confirmed exit).
    void ShutDown();

  protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Combo handling (main_form_selection.cpp).
    void ConnectCombo(int index);
    void SaveDisplay();  // every display string from its combo
    void LoadDisplay();  // every combo from its display string
    // Every combo shows the beginning of its text, as a closed list does.
    void ShowTextStarts();
    // An empty text selects nothing; any other selects the item it begins, or
    // is shown as it is.
    void ShowText(QComboBox* combo, const QString& text);
    // The code a combo edits: its entry, or a key's cell of the octave shown.
    AssignmentCode CodeInForce(const FormCombo& combo) const;
    // Typing has ended: the combo shows the choice in force again (the code of
    // its entry or cell, or for Key Octave the octave the keys show).
    void ShowChoiceInForce(int index);
    void OnComboPicked(int index, int item);
    void OnComboTextEdited(int index, const QString& text);
    void OnOctavePicked(int octave);
    void ShowCodeByIndex(QComboBox* combo, const AssignmentCode& code);
    void EnableUpperKeys(bool on);

    // Showing the table (main_form_files.cpp).
    void SelectNewDefaults();
    void ShowTable();
    void PublishTable(const AssignmentTable& staging);
    bool SaveTo(const QString& fullPath);
    void UseFile(const QString& fullPath, const QString& fileName);
    // Writes the file in use to the settings for the next start; a path they
    // cannot hold is said, and the earlier remembered file kept.
    void RememberFileInUse();
    void UpdateTitle();

    // Curve combos (main_form_curves.cpp).
    void FillCurveCombos();
    void FillCurveCombo(CurveKind kind);
    QComboBox* CurveCombo(CurveKind kind) const;
    void SelectCurvesInForce();
    void OnCurvePicked(const FormCombo& combo, const QString& itemText);
    void RunCurveDialogOf(CurveKind kind);
    // Makes the curve that code stands for in the kind's library (the default
    // when it names no entry in use) the choice in force: CURVE or TOUCH, the
    // current curve and the box's item all name it.
    void UseCurveChoice(CurveKind kind, const char* code);

    QComboBox* ComboAt(int index) const { return combos_[index]; }
    QComboBox* ComboById(int id) const;
    int IndexOf(int id) const;

    AppState& state_;
    CMainFrame* frame_;
    std::array<QComboBox*, kFormComboCount> combos_{};
    std::array<QString, kFormComboCount> display_;
    QString lastItemText_;
    // The last path that the settings could not remember (it was said then).
    QString unrememberedPath_;
    // The octave whose twelve cells the key combos show and edit.
    int octaveShown_ = 0;
    // Row of the open list that typed text highlighted, -1 when the user has
    // moved in the list since (or nothing was typed): Return picks only the latter.
    int listRowFromTyping_ = -1;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool initialised_ = false;
    bool shutDown_ = false;
    bool toldNoMidi_ = false;                    // the missing MIDI system was reported at Start
    CDumpSendDlg* dumpSendDlg_ = nullptr;        // child of the form
    CDumpReceiveDlg* dumpReceiveDlg_ = nullptr;  // child of the form
};

}  // namespace ostrel
