#pragma once
// The MIDI monitor window (template 133): one line per message that the
// pass-through handles while logging is on. Start and Stop switch logging and
// remember it in MONITOR STATE; Clear empties the log; Exit closes. It stays
// open beside the main form while the boxes are changed. The log's context menu
// can add to each line the entries that decided its message (MONITOR EXPLAIN).
// It can be resized; a size and place the user gives it are remembered
// (MONITOR LEFT, TOP, WIDTH, HEIGHT), else it opens beside the main window.
#include <QDialog>
#include <QStringList>
#include <array>
#include <functional>

#include "app/monitor_tail.h"
#include "store/settings_keys.h"

class QAction;
class QMenu;
class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class CIniSettings;
struct AppState;

class CMonitorDlg : public QDialog {
    Q_OBJECT
  public:
    // setLogging tells the pass-through whether to queue monitor entries.
    CMonitorDlg(CIniSettings& settings, std::function<void(bool)> setLogging,
                QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    bool IsLogging() const { return logging_; }
    QPlainTextEdit* Log() const { return log_; }

    // "Show the deciding entry", checked when lines are to name the entries that
    // decided their message; remembered in MONITOR EXPLAIN, off by default.
    QAction* ExplainItem() const { return explain_; }
    bool IsExplaining() const;
    // The log's context menu: the edit commands, then "Show the deciding entry".
    // The caller owns it.
    QMenu* CreateLogMenu();

    // A new opening of the one window: an empty log, logging as remembered.
    void Reopen();
    // Puts the window where the user last left it when that is on a screen;
    // else beside mainWindow (PlaceMonitor), which may move mainWindow to make
    // room.
    void PlaceOnScreen(QWidget* mainWindow);

    // Appends entries as they came, at the caret, one after the other; whenever
    // the text grows beyond kMonitorTextLimit it is emptied and the following
    // entries start again from an empty log. Ignored while not logging.
    void AppendLines(const QStringList& lines);
    // The same for lines whose emptying was worked out already (MonitorTail).
    void Show(const MonitorTail::Handover& lines);
    // Characters in the log, as its text reads back.
    qsizetype LogLength() const;
    // Lines the log's view holds at its present size, with one spare at each end.
    qsizetype LinesInView() const;

  public slots:
    void OnStart();
    void OnStop();
    void OnClear();

  signals:
    void ExplainChanged(bool on);
    // The window was minimised (true) or shown again from there (false).
    void MinimizedChanged(bool minimized);
    // Clear emptied the log.
    void Cleared();
    // The user turns to the log (a key, the mouse, the focus) or resizes it:
    // whatever it is to hold must be in it now.
    void LogTurnedTo();

  protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void ReadRememberedState();
    WindowPlace Place() const;

    CIniSettings& settings_;
    std::function<void(bool)> setLogging_;
    bool logging_ = false;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
    QAction* explain_ = nullptr;
    std::array<QPushButton*, 4> buttons_{};
    int logMargin_ = 0;         // the template's width less the log's
    int buttonsFromRight_ = 0;  // from the buttons' left edge to the window's right
    WindowPlace placed_;        // where the window was put when it opened
};

// The main form's Monitor button: opens the one monitor window of owner (the
// main form) beside owner's window, fed by the window's event pump, or brings it
// to the front when it is open. Closed, it turns the pass-through's monitor
// entries off. Returns the window.
CMonitorDlg* ShowMonitorWindow(QWidget* owner, AppState& state);

}  // namespace ostrel
