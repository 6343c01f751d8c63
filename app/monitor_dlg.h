#pragma once
// The MIDI monitor window (template 133): one line per message that the
// pass-through handles while logging is on. Start and Stop switch logging and
// remember it in MONITOR STATE; Clear empties the log; Exit closes.
#include <QDialog>
#include <QStringList>
#include <functional>

class QPlainTextEdit;
class QPushButton;

namespace ostrel {

class CIniSettings;
struct AppState;

// Longer than this after an append, the log is emptied.
inline constexpr int kMonitorTextLimit = 10240;

class CMonitorDlg : public QDialog {
    Q_OBJECT
  public:
    // setLogging tells the pass-through whether to queue monitor entries.
    CMonitorDlg(CIniSettings& settings, std::function<void(bool)> setLogging,
                QWidget* parent = nullptr);
    ~CMonitorDlg() override;

    bool IsLogging() const { return logging_; }
    QPlainTextEdit* Log() const { return log_; }

    // Appends entries as they came, at the caret, one after the other; whenever
    // the text grows beyond kMonitorTextLimit it is emptied and the following
    // entries start again from an empty log. Ignored while not logging.
    void AppendLines(const QStringList& lines);

  public slots:
    void OnStart();
    void OnStop();
    void OnClear();

  private:
    CIniSettings& settings_;
    std::function<void(bool)> setLogging_;
    bool logging_ = false;
    QPlainTextEdit* log_ = nullptr;
    QPushButton* start_ = nullptr;
    QPushButton* stop_ = nullptr;
};

// The main form's Monitor button: runs the monitor modally, fed by the window's
// event pump, and turns the pass-through's monitor entries off when it closes.
void RunMonitorDialog(QWidget* parent, AppState& state);

}  // namespace ostrel
