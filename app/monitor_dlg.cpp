#include "app/monitor_dlg.h"

#include <QAction>
#include <QEvent>
#include <QFont>
#include <QGuiApplication>
#include <QMargins>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QScrollBar>
#include <QTextCursor>
#include <QTextDocument>
#include <QWindow>
#include <algorithm>
#include <memory>

#include "app/app_state.h"
#include "app/event_pump.h"
#include "app/monitor_feed.h"
#include "app/monitor_place.h"
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

// The sizes of a window's frame; before its first showing a window has none
// yet, and the main window's stand for it.
QMargins FrameMargins(const QWidget* window) {
    const QRect outer = window->frameGeometry();
    const QRect inner = window->geometry();
    return {inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
            outer.bottom() - inner.bottom()};
}

// A remembered place is used while its title bar lies on a screen.
bool OnAScreen(const WindowPlace& place) {
    return QGuiApplication::screenAt(QPoint(place.left + place.width / 2, place.top + 4)) !=
           nullptr;
}

}  // namespace

CMonitorDlg::CMonitorDlg(CIniSettings& settings, std::function<void(bool)> setLogging,
                         QWidget* parent)
    : QDialog(parent), settings_(settings), setLogging_(std::move(setLogging)) {
    res::BuildDialog(this, res::kMonitorTemplate);
    // Resizable: the log takes the room, the buttons keep to the right edge.
    const QSize designed = size();
    setMinimumSize(designed.width() / 2, designed.height() / 2);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    // A window of its own, not a dialog of the form: it minimises alone and has
    // its own entry in the task bar.
    setWindowFlags(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    setWindowIcon(res::AppIcon());
    log_ = res::Item<QPlainTextEdit>(this, res::kMonitorLogId);
    start_ = res::Item<QPushButton>(this, res::kMonitorStartId);
    stop_ = res::Item<QPushButton>(this, res::kMonitorStopId);
    buttons_ = {start_, stop_, res::Item<QPushButton>(this, res::kMonitorClearId),
                res::Item<QPushButton>(this, res::kMonitorExitId)};
    logMargin_ = designed.width() - log_->width();
    buttonsFromRight_ = designed.width() - start_->x();
    // The log is cut at 10240 characters anyway; an undo history of it is of no use.
    log_->setUndoRedoEnabled(false);
    // Its lines are plain ASCII in a fixed-pitch font: laid out without shaping,
    // they look the same and cost a fraction.
    QFont font = log_->font();
    font.setStyleStrategy(QFont::PreferNoShaping);
    log_->setFont(font);
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
    // Anything the user does to the log finds all its lines in it.
    for (QObject* part : std::initializer_list<QObject*>{
             log_, log_->viewport(), log_->verticalScrollBar(), log_->horizontalScrollBar()})
        part->installEventFilter(this);
    log_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(log_, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        std::unique_ptr<QMenu> menu(CreateLogMenu());
        menu->exec(log_->viewport()->mapToGlobal(at));
    });

    ReadRememberedState();
}

CMonitorDlg::~CMonitorDlg() = default;

void CMonitorDlg::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    emit LogTurnedTo();
    log_->resize(width() - logMargin_, height());
    for (QPushButton* button : buttons_)
        if (button) button->move(width() - buttonsFromRight_, button->y());
}

void CMonitorDlg::hideEvent(QHideEvent* event) {
    QDialog::hideEvent(event);
    // A place the user gave it is kept for the next opening and the next run.
    const WindowPlace now = Place();
    if (now == placed_) return;
    WriteMonitorPlace(settings_, now);  // a failed write is ignored
    placed_ = now;
}

void CMonitorDlg::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) emit MinimizedChanged(isMinimized());
}

bool CMonitorDlg::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::KeyPress:
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::ContextMenu:
        case QEvent::FocusIn:
            emit LogTurnedTo();
            break;
        default:
            break;
    }
    return QDialog::eventFilter(watched, event);
}

WindowPlace CMonitorDlg::Place() const { return {x(), y(), width(), height()}; }

void CMonitorDlg::PlaceOnScreen(QWidget* mainWindow) {
    if (const auto saved = ReadMonitorPlace(settings_); saved && OnAScreen(*saved)) {
        resize(QSize(saved->width, saved->height).expandedTo(minimumSize()));
        move(saved->left, saved->top);
    } else if (const QScreen* screen = mainWindow->screen()) {
        const MonitorPlacement at =
            PlaceMonitor(screen->availableGeometry(), mainWindow->frameGeometry(),
                         size().grownBy(FrameMargins(mainWindow)), kGapBeside);
        if (at.main != mainWindow->pos()) mainWindow->move(at.main);
        move(at.monitor);
    }
    placed_ = Place();
}

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

void CMonitorDlg::OnClear() {
    emit Cleared();
    log_->clear();
}

qsizetype CMonitorDlg::LogLength() const { return log_->document()->characterCount() - 1; }

qsizetype CMonitorDlg::LinesInView() const {
    return log_->viewport()->height() / std::max(1, log_->fontMetrics().lineSpacing()) + 2;
}

void CMonitorDlg::AppendLines(const QStringList& lines) {
    if (!logging_ || lines.isEmpty()) return;
    MonitorTail tail;
    tail.SetLogLength(LogLength());
    for (const QString& line : lines) tail.AddLine(line);
    Show(tail.Take());
}

void CMonitorDlg::Show(const MonitorTail::Handover& lines) {
    // The caret is scrolled into view down the log; across, the reader's
    // position stays where it was.
    QScrollBar* across = log_->horizontalScrollBar();
    const int column = across->value();
    // Lines held back at an emptying belong to the log already, logging or not.
    if (!lines.before.isEmpty()) {
        // Put in above the lines shown, which stay where they are in the view.
        QScrollBar* down = log_->verticalScrollBar();
        const int top = down->value();
        const QString before = lines.before.join(QString());
        QTextCursor start(log_->document());
        start.insertText(before);
        down->setValue(top + static_cast<int>(before.count(u'\n')));
        across->setValue(column);
    }
    if (!logging_ || (lines.isEmpty() && !lines.emptiesLog)) return;
    const QString rest = lines.join(QString());
    // Inserted at the caret, so the entries follow one another at the end unless
    // the user has put the caret elsewhere; any selection is dropped, not
    // replaced. An emptied log is replaced whole in one edit, which lays out only
    // the end that is shown. The log's own caret moves on with the text inserted
    // where it stands, so it is set anew only to drop a selection.
    QTextCursor cursor = log_->textCursor();
    if (cursor.hasSelection() && !lines.emptiesLog) {
        cursor.clearSelection();
        log_->setTextCursor(cursor);
    }
    if (lines.emptiesLog) cursor.select(QTextCursor::Document);
    cursor.insertText(rest);
    // Qt finds the caret's place by laying out every line from the top line
    // shown to the caret: after more than a screen of new lines, up to two
    // screens of lines that are never shown. From one line above the end it
    // lays out only what is shown; scrolling there with the view's updates held
    // does not measure the lines in between either. The caret is then scrolled
    // into view as before, so the log still ends with the caret's line at the
    // bottom. A screen of lines or less keeps Qt's own scrolling, which leaves
    // the scroll bar alone when its place does not change.
    QScrollBar* down = log_->verticalScrollBar();
    if (log_->textCursor().atEnd() && lines.size() > LinesInView()) {
        log_->viewport()->setUpdatesEnabled(false);
        down->setValue(std::max(0, down->maximum() - 1));
        log_->viewport()->setUpdatesEnabled(true);
    }
    log_->ensureCursorVisible();
    across->setValue(column);
}

CMonitorDlg* ShowMonitorWindow(QWidget* owner, AppState& state) {
    auto* dlg = owner->findChild<CMonitorDlg*>(QString(), Qt::FindDirectChildrenOnly);
    if (dlg && dlg->isVisible()) {
        if (dlg->isMinimized()) dlg->showNormal();
        dlg->raise();
        dlg->activateWindow();
        return dlg;
    }
    PassThrough* passThrough = state.passThrough;
    EventPump* events = state.events.get();
    // Entries still queued when the window last closed belong to that opening:
    // dropped, so that every opening starts with an empty log.
    events->Drain();
    if (dlg) {
        dlg->Reopen();
    } else {
        dlg = new CMonitorDlg(
            state.settings, [passThrough](bool on) { passThrough->SetMonitorLogging(on); }, owner);
        auto* feed =
            new MonitorFeed([dlg](const MonitorTail::Handover& lines) { dlg->Show(lines); }, dlg,
                            [dlg] { return dlg->LinesInView(); });
        feed->setObjectName(QStringLiteral("MonitorFeed"));
        // The feed works out where the log empties from what it holds: a Clear,
        // an edit and each hand-over tell it.
        QObject::connect(dlg->Log()->document(), &QTextDocument::contentsChanged, feed,
                         [dlg, feed] { feed->SetLogLength(dlg->LogLength()); });
        // Closed, the window takes nothing more; the remembered state stays as it was.
        const auto closed = [passThrough, events, feed = QPointer<MonitorFeed>(feed)] {
            passThrough->SetMonitorLogging(false);
            events->SetMonitorReceiver(nullptr);
            if (feed) feed->Drop();
        };
        QObject::connect(dlg, &QDialog::finished, owner, closed);
        QObject::connect(dlg, &QObject::destroyed, events, closed);  // with the form
        QObject::connect(dlg, &CMonitorDlg::ExplainChanged, events, &EventPump::SetMonitorExplain);
        QObject::connect(dlg, &CMonitorDlg::MinimizedChanged, feed, &MonitorFeed::Hold);
        QObject::connect(dlg, &CMonitorDlg::Cleared, feed, &MonitorFeed::Cleared);
        QObject::connect(dlg, &CMonitorDlg::LogTurnedTo, feed, &MonitorFeed::Complete);
    }
    events->SetMonitorExplain(dlg->IsExplaining());
    // The window lays its log out at most about ten times a second.
    auto* feed = dlg->findChild<MonitorFeed*>(QStringLiteral("MonitorFeed"));
    feed->Hold(false);
    events->SetMonitorReceiver(feed);
    dlg->setModal(false);
    dlg->PlaceOnScreen(owner->window());
    // Qt makes a window with a parent the transient of the parent's window, which
    // the window manager minimises together with it: the monitor stands alone.
    dlg->winId();
    dlg->windowHandle()->setTransientParent(nullptr);
    dlg->show();
    dlg->raise();
    dlg->activateWindow();
    return dlg;
}

}  // namespace ostrel
