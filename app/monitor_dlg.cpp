#include "app/monitor_dlg.h"

#include <QAction>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <algorithm>
#include <memory>

#include "app/app_state.h"
#include "app/event_pump.h"
#include "midi/pass_through.h"
#include "res/app_resources.h"
#include "res/dialog_builder.h"
#include "res/template_monitor.h"
#include "store/settings_keys.h"

namespace ostrel {
namespace {

const char* const kExplainText = "Show the deciding entry";

// Gap between the main window and the monitor placed beside it.
constexpr int kGapBeside = 8;

// Right of the main window when the screen has room there, else left of it,
// else as far right as the screen allows; never off the screen.
void PlaceBeside(QWidget* dlg, const QWidget* main) {
    const QRect form = main->frameGeometry();
    const QSize size = dlg->frameGeometry().size();
    QPoint at(form.right() + 1 + kGapBeside, form.top());
    if (const QScreen* screen = main->screen()) {
        const QRect room = screen->availableGeometry();
        if (at.x() + size.width() - 1 > room.right()) {
            const int left = form.left() - kGapBeside - size.width();
            at.setX(left >= room.left() ? left
                                        : std::max(room.left(), room.right() + 1 - size.width()));
        }
        at.setY(std::clamp(at.y(), room.top(),
                           std::max(room.top(), room.bottom() + 1 - size.height())));
    }
    dlg->move(at);
}

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

    explain_ = new QAction(QString::fromLatin1(kExplainText), this);
    explain_->setObjectName(QStringLiteral("ShowDecidingEntry"));
    explain_->setCheckable(true);
    explain_->setChecked(ReadMonitorExplain(settings_));
    connect(explain_, &QAction::toggled, this, [this](bool on) {
        WriteMonitorExplain(settings_, on);  // a failed write is ignored
        emit ExplainChanged(on);
    });
    log_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(CreateLogMenu());
        menu->exec(log_->viewport()->mapToGlobal(at));
    });

    ReadRememberedState();
}

CMonitorDlg::~CMonitorDlg() = default;

void CMonitorDlg::ReadRememberedState() {
    if (ReadMonitorOn(settings_))
        OnStart();
    else
        OnStop();
}

void CMonitorDlg::Reopen() {
    log_->clear();
    ReadRememberedState();
}

bool CMonitorDlg::IsExplaining() const { return explain_->isChecked(); }

QMenu* CMonitorDlg::CreateLogMenu() {
    QMenu* menu = log_->createStandardContextMenu();
    menu->addSeparator();
    menu->addAction(explain_);
    return menu;
}

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

CMonitorDlg* ShowMonitorWindow(QWidget* owner, AppState& state) {
    auto* dlg = owner->findChild<CMonitorDlg*>(QString(), Qt::FindDirectChildrenOnly);
    if (dlg && dlg->isVisible()) {
        if (dlg->isMinimized()) dlg->showNormal();
        dlg->raise();
        dlg->activateWindow();
        return dlg;
    }
    PassThrough* passThrough = state.passThrough.get();
    EventPump* events = state.events.get();
    // Entries still queued when the window last closed belong to that opening:
    // dropped, so that every opening starts with an empty log.
    events->Drain();
    if (dlg) {
        dlg->Reopen();
    } else {
        dlg = new CMonitorDlg(
            state.settings, [passThrough](bool on) { passThrough->SetMonitorLogging(on); }, owner);
        // Closed, the window takes nothing more; the remembered state stays as it was.
        const auto closed = [passThrough, events] {
            passThrough->SetMonitorLogging(false);
            events->SetMonitorSink({});
        };
        QObject::connect(dlg, &QDialog::finished, owner, closed);
        QObject::connect(dlg, &QObject::destroyed, events, closed);  // with the form
        QObject::connect(dlg, &CMonitorDlg::ExplainChanged, events, &EventPump::SetMonitorExplain);
    }
    events->SetMonitorExplain(dlg->IsExplaining());
    events->SetMonitorSink([dlg](const QStringList& lines) { dlg->AppendLines(lines); });
    dlg->setModal(false);
    PlaceBeside(dlg, owner->window());
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}

}  // namespace ostrel
