#pragma once
// COstrelView, the main form (template 101): one combo box per entry of the
// assignment table, the Start, Stop and Monitor buttons, the curve and bulk
// dump buttons, and the File commands. The boxes are only a view on the table:
// every pick in a list is written into the table at once; typed text never is.
#include <QString>
#include <QWidget>
#include <array>
#include <string>

#include "app/ostrel_view_combos.h"

class QComboBox;
class QPushButton;

namespace ostrel {

struct AppState;
class CMainFrame;
class CDumpSendDlg;
class CDumpReceiveDlg;
class CodeBox;
class MidiNotices;
class SetlistPlayer;

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

    // Opens a file given on the command line: a setlist (by its ".setlist"
    // name) as the Setlist dialog opens it, anything else as File Open does.
    void OpenFile(const std::string& path);

    // The text that typed text was last completed to, in any box.
    const QString& LastItemText() const { return lastItemText_; }

  public slots:
    void OnFileNew();
    void OnFileOpen();
    void OnFileSave();
    void OnFileSaveAs();
    void OnStart();
    void OnPanic();
    void OnStop();
    // Stopped, held notes and pedals released, ports closed (destruction and exit).
    void ShutDown();

  public:
    // The table the boxes show and edit and that Save writes: a scene of the open
    // setlist (translated from while it is in force), or with null the live table.
    void ViewTable(AssignmentTable* table);
    SetlistPlayer& Setlist() const { return *setlist_; }

  protected:
    void showEvent(QShowEvent* event) override;

  private:
    // Picks and the codes shown.
    void ConnectBox(int index);
    // Every box shows the beginning of its text, as a closed list does, and
    // describes the choice in force.
    void ShowTextStarts();
    // The box's accessible description says the choice in force in words.
    void DescribeChoice(int index);
    // The code a box edits: its entry, or a key's cell of the octave shown.
    AssignmentCode CodeInForce(const FormCombo& combo) const;
    // Typing has ended: the box shows the choice in force again (the code of
    // its entry or cell, or for Key Octave the octave the keys show).
    void ShowChoiceInForce(int index);
    void OnBoxPicked(int index, int item);
    void OnOctavePicked(int octave);
    void ShowCodeByIndex(QComboBox* combo, const AssignmentCode& code);
    void EnableUpperKeys(bool on);
    CodeBox* BoxById(int id) const;

    // Showing a table and the File commands.
    void SelectNewDefaults();
    // The start: the remembered configuration file read without a dialog and
    // shown, or the defaults. A missing file is said without blocking and stays
    // remembered for the next start; a path from another system, or a file that
    // is no configuration, is said and not used. kept: the table a start again
    // on PipeWire kept, in force instead.
    void ReopenRememberedFile(const AssignmentTable* kept = nullptr);
    // Reads a configuration file and puts it in force as the file in use; a
    // file that cannot be read is refused with the reason.
    void OpenConfig(const std::string& path, const std::string& name);
    // Every failed write of the settings is said, with the system's reason.
    void WatchSettingsWrites();
    void ShowTable();
    void PublishTable(const AssignmentTable& staging);
    // Writes the table to path (bytes, as the file calls take them); a failure is said.
    bool SaveTo(const std::string& path);
    // Writes the file in use to the settings for the next start; a path they
    // cannot hold is said (once for each path), and the earlier remembered file kept.
    void RememberFileInUse();
    void UpdateTitle();

    // Curve boxes.
    void FillCurveCombo(CurveKind kind);
    CodeBox* CurveCombo(CurveKind kind) const;
    void SelectCurvesInForce();
    // V.Curve and A.Touch: the curve dialog of the kind, for the curve that its
    // box shows; afterwards the dialog's curve is the box's choice.
    void RunCurveDialogOf(CurveKind kind);
    // Makes the curve that code stands for in the kind's library (the default
    // when it names no entry in use) the choice in force: CURVE or TOUCH, the
    // current curve and the box's item all name it.
    void UseCurveChoice(CurveKind kind, const char* code);

    // The bulk dump receive dialog, run modally with the dumps handed to it.
    void RunBulkReceive();

    AssignmentTable& TableInView() const;

    AppState& state_;
    CMainFrame* frame_;
    AssignmentTable* view_ = nullptr;  // a scene's table, or null: the live table
    SetlistPlayer* setlist_ = nullptr;
    std::array<CodeBox*, kFormComboCount> boxes_{};
    QString lastItemText_;  // shared by the boxes
    // The octave whose twelve cells the key boxes show and edit.
    int octaveShown_ = 0;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    bool initialised_ = false;
    bool shutDown_ = false;
    bool quietSettingsFailure_ = false;          // the failed write is said by its caller
    bool toldNoMidi_ = false;                    // the missing MIDI system was reported at Start
    MidiNotices* notices_ = nullptr;             // child of the form, from the start on
    CDumpSendDlg* dumpSendDlg_ = nullptr;        // child of the form
    CDumpReceiveDlg* dumpReceiveDlg_ = nullptr;  // child of the form
};

}  // namespace ostrel
