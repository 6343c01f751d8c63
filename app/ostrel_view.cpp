#include "app/ostrel_view.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QShortcut>
#include <QShowEvent>
#include <functional>

#include "app/app_state.h"
#include "app/code_box.h"
#include "app/entry_highlight.h"
#include "app/event_pump.h"
#include "app/file_texts.h"
#include "app/main_frame.h"
#include "app/midi_driver_command.h"
#include "app/midi_graph.h"
#include "app/monitor_dlg.h"
#include "app/pipewire_rejoin.h"
#include "app/setlist_player.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"
#include "res/dialog_builder.h"
#include "res/template_main_form.h"
#include "sysex/gui/dump_receive_dlg.h"
#include "sysex/gui/dump_send_dlg.h"
#include "sysex/gui/sysex_send_report.h"

namespace ostrel {
namespace {

// Width of every combo's opened list at the least; longer items widen it further.
constexpr int kOpenedListWidth = 300;

}  // namespace

COstrelView::COstrelView(AppState& state, CMainFrame* frame, QWidget* parent)
    : QWidget(parent), state_(state), frame_(frame) {
    res::BuildDialog(this, res::MainFormTemplate(),
                     [this](QWidget* parent) { return new CodeBox(lastItemText_, parent); });
    const auto table = FormCombos();
    for (int i = 0; i < kFormComboCount; ++i) {
        boxes_[i] = res::Item<CodeBox>(this, table[i].id);
        res::AddComboItems(boxes_[i], InitialItems(table[i]));
        ConnectBox(i);
    }
    // The box of the control just moved lights up.
    new EntryHighlight(state_.passThrough->Activity(), this);

    start_ = res::Item<QPushButton>(this, res::kIdStart);
    stop_ = res::Item<QPushButton>(this, res::kIdStop);
    const auto onClick = [this](int id, auto handler) {
        connect(res::Item<QPushButton>(this, id), &QPushButton::clicked, this, handler);
    };
    onClick(res::kIdStart, [this] { OnStart(); });
    onClick(res::kIdStop, [this] { OnStop(); });
    // Panic, for a synth that hangs on a note whoever left it there: released,
    // then every channel silenced, in the next cycle, whether started or not.
    onClick(res::kIdPanic, [this] { OnPanic(); });
    auto* panicKey = new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_P), this);
    panicKey->setContext(Qt::WindowShortcut);
    connect(panicKey, &QShortcut::activated, this, [this] { OnPanic(); });
    res::Item<QPushButton>(this, res::kIdPanic)
        ->setToolTip(QStringLiteral("Panic (Ctrl+P): release every held note and pedal, then all "
                                    "sound off, reset all controllers and all notes off on every "
                                    "channel"));
    // The monitor stays open beside the form; a second click brings it to the front.
    onClick(res::kIdMonitor, [this] { ShowMonitorWindow(this, state_); });
    // V.Curve and A.Touch open the velocity and touch curve dialogs.
    onClick(res::kIdVelocityCurveButton, [this] { RunCurveDialogOf(CurveKind::Velocity); });
    onClick(res::kIdTouchCurveButton, [this] { RunCurveDialogOf(CurveKind::Touch); });

    // The bulk dump dialogs live as long as the form; each click runs the same
    // one again. The send dialog hands its message to the form, which sends it
    // as one System Exclusive message and shows a refusal with itself as owner.
    dumpSendDlg_ = new CDumpSendDlg(this);
    dumpSendDlg_->SetSendHandler([this](const std::string& hexDigits) {
        SendSysExText(this, *state_.passThrough, hexDigits);
    });
    dumpReceiveDlg_ = new CDumpReceiveDlg(this);
    // Both read a dump against the table the form shows, the one in force.
    const auto inView = [this]() -> const AssignmentTable& { return TableInView(); };
    dumpSendDlg_->SetTableSource(inView);
    dumpReceiveDlg_->SetTableSource(inView);
    onClick(res::kIdBulkSend, [this] { dumpSendDlg_->exec(); });
    onClick(res::kIdBulkReceive, [this] { RunBulkReceive(); });

    if (frame_) {
        const std::pair<int, std::function<void()>> commands[] = {
            {kCmdFileNew, [this] { OnFileNew(); }},
            {kCmdFileOpen, [this] { OnFileOpen(); }},
            {kCmdFileSave, [this] { OnFileSave(); }},
            {kCmdFileSaveAs, [this] { OnFileSaveAs(); }},
            {kCmdMidiDriver, [this] { RunMidiDriverDialog(this, state_); }},
        };
        for (const auto& [id, handler] : commands)
            if (QAction* action = frame_->Command(id))
                connect(action, &QAction::triggered, this, handler);
        connect(frame_, &CMainFrame::Exiting, this, &COstrelView::ShutDown);
    }
    setlist_ = new SetlistPlayer(state_, *this, frame_);
}

COstrelView::~COstrelView() { ShutDown(); }

void COstrelView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    InitialUpdate();
}

void COstrelView::InitialUpdate() {
    if (initialised_) return;
    initialised_ = true;

    // The pass-through never runs before the user presses Start.
    OnStop();
    for (QComboBox* box : boxes_) res::WidenOpenList(box, kOpenedListWidth);
    FillCurveCombo(CurveKind::Velocity);
    FillCurveCombo(CurveKind::Touch);

    WatchSettingsWrites();
    AssignmentTable kept;
    bool keptTable = false, wasRunning = false;
    TakeKeptSession(kept, &keptTable, &wasRunning);
    ReopenRememberedFile(keptTable ? &kept : nullptr);
    setlist_->ReopenRemembered();
    UpdateTitle();
    // Ostrel's ports exist from here on; the remembered devices are connected
    // now or as soon as they appear.
    JoinMidiGraph(state_);
    notices_ = new MidiNotices(state_, this);
    new PipeWireRejoin(state_,
                       {[this]() -> const AssignmentTable* {
                            return setlist_->IsOpen() ? nullptr : &TableInView();
                        },
                        [this] { return stop_->isEnabled(); }, [this] { ShutDown(); }},
                       this);
    if (wasRunning) OnStart();
}

void COstrelView::OnPanic() {
    if (!state_.passThrough->Panic())
        file_texts::ShowError(this, QStringLiteral("The panic could not be sent now: the output "
                                                   "is full. Press Panic again."));
}

void COstrelView::ShutDown() {
    if (shutDown_) return;
    shutDown_ = true;
    // Every held note and pedal is released before the ports close.
    state_.ports->Shutdown();
}

void COstrelView::OnStart() {
    start_->setEnabled(false);
    stop_->setEnabled(true);
    state_.passThrough->SetState(PassThroughState::Running);
    if (!state_.ports->Online() && !state_.midiProblem.empty() && !toldNoMidi_) {
        // Said once: forwarding starts by itself when a MIDI system answers.
        // The notice goes when a newer one (the server found) replaces it.
        toldNoMidi_ = true;
        if (notices_) notices_->Show(NoMidiSystemText(state_), QMessageBox::Critical);
    }
}

void COstrelView::OnStop() {
    stop_->setEnabled(false);
    start_->setEnabled(true);
    // Held notes and pedals are released.
    state_.passThrough->Stop();
}

void COstrelView::RunBulkReceive() {
    // While the dialog is open the pass-through queues the dumps it receives, and
    // the event pump hands them to the dialog on this thread: the MIDI thread
    // never waits for the window. Records left over from an earlier opening are
    // dropped first, so that every opening starts empty.
    EventPump& events = *state_.events;
    PassThrough& passThrough = *state_.passThrough;
    events.Drain();
    events.SetDumpSink(
        [this](const MonitorEvent& dump) { dumpReceiveDlg_->ShowReceivedDump(dump); });
    passThrough.SetReceiveHook(true);
    dumpReceiveDlg_->exec();
    passThrough.SetReceiveHook(false);
    events.SetDumpSink({});
}

void COstrelView::UpdateTitle() {
    if (frame_) frame_->UpdateTitle();
}

CodeBox* COstrelView::BoxById(int id) const { return res::Item<CodeBox>(this, id); }

}  // namespace ostrel
