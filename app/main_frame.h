#pragma once
// The program's frame window: menu, accelerators, title, tray icon, About box,
// help page, web site and the exit question. The main form lives inside it.
#include <QMainWindow>

class QAction;
class QSystemTrayIcon;

namespace ostrel {

struct AppState;

// Menu command ids; each QAction carries its id in decimal as objectName.
enum FrameCommand : int {
    kCmdMidiDriver = 32773,
    kCmdFileNew = 32774,
    kCmdFileOpen = 32775,
    kCmdFileSave = 32776,
    kCmdFileSaveAs = 32777,
    kCmdReadMe = 32771,
    kCmdWebSite = 32772,
    kCmdAbout = 57664,
    kCmdExit = 57665,
    kCmdSetlist = 32778,
    kCmdNextScene = 32779,
    kCmdPreviousScene = 32780,
    kCmdCloseSetlist = 32781,
};

inline constexpr const char* kFrameTitle = "DO Darivu v1.0 beta";
inline constexpr const char* kWebSiteAddress = "https://github.com/topics/midi-controller";

class CMainFrame : public QMainWindow {
    Q_OBJECT
  public:
    explicit CMainFrame(AppState& state, QWidget* parent = nullptr);
    ~CMainFrame() override;

    // Puts the main form inside the frame; the frame takes ownership.
    void SetMainForm(QWidget* form);
    QWidget* MainForm() const;

    // The menu action for a command id (File commands and Midi driver are
    // connected by the main form to its own handlers).
    QAction* Command(int id) const;
    QSystemTrayIcon* TrayIcon() const { return tray_; }

    // The title from the configuration file in use:
    // "DO Darivu v1.0 beta   [name]" or "DO Darivu v1.0 beta   [default]".
    static QString TitleFor(const char* cfgName);
    // With a setlist open the title goes on with the scene's number and how many
    // there are ("   scene 2/7"); empty: no setlist.
    void SetScene(const QString& position);

  public slots:
    void UpdateTitle();
    void OnReadMe();
    void OnWebSite();
    void OnAbout();
    // Exit command: the same path as the close box, so it asks the same question.
    void OnExit();
    // The program ends without the question (a signal, the session's end): the
    // frame says it is exiting and goes, also while the question is shown.
    void EndUnasked();
    // A double click on the tray icon: shows the frame again, restored and active.
    void RestoreFromTray();

  signals:
    // The program ends (the user confirmed, or it ends unasked); emitted once,
    // before the frame closes, so the main form can stop the pass-through and
    // close the ports.
    void Exiting();

  protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void BuildMenu();
    void BuildTrayIcon();
    // Help that could not be shown is said in a message box.
    void TellProblem(const QString& text);
    // Emits Exiting and hides the tray icon, the first time only.
    void Leave();

    AppState& state_;
    QString scene_;
    QSystemTrayIcon* tray_ = nullptr;
    bool endingUnasked_ = false;
    bool left_ = false;
};

}  // namespace ostrel
