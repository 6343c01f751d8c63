#include "app/monitor_dlg.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>

#include "app/app_state.h"
#include "app/event_pump.h"
#include "midi/pass_through.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/template_monitor.h"
#include "store/settings_keys.h"

namespace ostrel {
namespace {

// Characters in the log, as the text reads back.
int TextLength(const QPlainTextEdit* log) { return log->document()->characterCount() - 1; }

// Entries from the pass-through end with "\r\n" or "\n"; the log holds plain lines.
QString WithoutCarriageReturns(const QString& line) {
    QString copy = line;
    copy.remove(u'\r');
    return copy;
}

}  // namespace

CMonitorDlg::CMonitorDlg(CIniSettings& settings, std::function<void(bool)> setLogging,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), setLogging_(std::move(setLogging)) {
    res::BuildDialog(this, res::kMonitorTemplate);
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(res::AppIcon());
    log_ = res::Item<QPlainTextEdit>(this, res::kMonitorLogId);
    start_ = res::Item<QPushButton>(this, res::kMonitorStartId);
    stop_ = res::Item<QPushButton>(this, res::kMonitorStopId);
    // The log is cut at 10240 characters anyway; an undo history of it is of no use.
    log_->setUndoRedoEnabled(false);
    connect(start_, &QPushButton::clicked, this, &CMonitorDlg::OnStart);
    connect(stop_, &QPushButton::clicked, this, &CMonitorDlg::OnStop);
    connect(res::Item<QPushButton>(this, res::kMonitorClearId), &QPushButton::clicked, this,
            &CMonitorDlg::OnClear);
    connect(res::Item<QPushButton>(this, res::kMonitorExitId), &QPushButton::clicked, this,
            &QDialog::reject);

    // The remembered state.
    if (ReadMonitorOn(settings_))
        OnStart();
    else
        OnStop();
}

CMonitorDlg::~CMonitorDlg() = default;

void CMonitorDlg::OnStart() {
    logging_ = true;
    if (setLogging_) setLogging_(true);
    WriteMonitorOn(settings_, true);  // a failed write is ignored
    start_->setEnabled(false);
    stop_->setEnabled(true);
}

void CMonitorDlg::OnStop() {
    WriteMonitorOn(settings_, false);
    logging_ = false;
    if (setLogging_) setLogging_(false);
    start_->setEnabled(true);
    stop_->setEnabled(false);
}

void CMonitorDlg::OnClear() { log_->clear(); }

void CMonitorDlg::AppendLines(const QStringList& lines) {
    if (!logging_ || lines.isEmpty()) return;
    // Work out first where the log would have been emptied, entry by entry, so a
    // batch of entries ends exactly as single appends would have left it.
    qsizetype first = 0;
    bool emptied = false;
    qsizetype length = TextLength(log_);
    QStringList plain;
    plain.reserve(lines.size());
    for (qsizetype i = 0; i < lines.size(); ++i) {
        plain.append(WithoutCarriageReturns(lines[i]));
        length += plain.back().size();
        if (length > kMonitorTextLimit) {
            emptied = true;
            first = i + 1;
            length = 0;
        }
    }
    const QString rest = plain.mid(first).join(QString());
    if (emptied) {
        log_->setPlainText(rest);
        log_->moveCursor(QTextCursor::End);
        log_->ensureCursorVisible();
        return;
    }
    // Inserted at the caret, so the entries follow one another at the end unless
    // the user has put the caret elsewhere; any selection is dropped, not replaced.
    QTextCursor cursor = log_->textCursor();
    cursor.clearSelection();
    cursor.insertText(rest);
    log_->setTextCursor(cursor);
    log_->ensureCursorVisible();
}

void RunMonitorDialog(QWidget* parent, AppState& state) {
    PassThrough& passThrough = *state.passThrough;
    // Entries still queued when the window last closed belong to that opening:
    // dropped, so that every opening starts with an empty log.
    state.events->Drain();
    CMonitorDlg dlg(
        state.settings, [&passThrough](bool on) { passThrough.SetMonitorLogging(on); }, parent);
    state.events->SetMonitorSink([&dlg](const QStringList& lines) { dlg.AppendLines(lines); });
    dlg.exec();
    // Closed, the window takes nothing more; the remembered state stays as it was.
    passThrough.SetMonitorLogging(false);
    state.events->SetMonitorSink({});
}

}  // namespace ostrel
