#include "app/main_form.h"

#include <QAction>
#include <QComboBox>
#include <QPushButton>
#include <QShowEvent>
#include <cstdio>

#include "app/app_state.h"
#include "app/entry_highlight.h"
#include "app/event_pump.h"
#include "app/main_frame.h"
#include "app/midi_driver_command.h"
#include "app/midi_graph.h"
#include "app/monitor_dlg.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"
#include "res/dialog_builder.h"
#include "res/message_box_seam.h"
#include "res/template_main_form.h"
#include "store/settings_keys.h"
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
    res::BuildDialog(this, res::MainFormTemplate());
    const auto table = FormCombos();
    for (int i = 0; i < kFormComboCount; ++i) {
        QComboBox* combo = res::Item<QComboBox>(this, table[i].id);
        combos_[i] = combo;
        res::AddComboItems(combo, InitialItems(table[i]));
        ConnectCombo(i);
    }
    // The box of the control just moved lights up.
    new EntryHighlight(state_.passThrough->Activity(), this);

    start_ = res::Item<QPushButton>(this, res::kIdStart);
    stop_ = res::Item<QPushButton>(this, res::kIdStop);
    connect(start_, &QPushButton::clicked, this, &COstrelView::OnStart);
    connect(stop_, &QPushButton::clicked, this, &COstrelView::OnStop);
    connect(res::Item<QPushButton>(this, res::kIdMonitor), &QPushButton::clicked, this,
            &COstrelView::OnMonitor);

    // V.Curve and A.Touch open the velocity and touch curve dialogs.
    connect(res::Item<QPushButton>(this, res::kIdVelocityCurveButton), &QPushButton::clicked, this,
            &COstrelView::OnVelocityCurve);
    connect(res::Item<QPushButton>(this, res::kIdTouchCurveButton), &QPushButton::clicked, this,
            &COstrelView::OnTouchCurve);

    // The bulk dump dialogs live as long as the form; each click runs the same
    // one again. The send dialog hands its message to the form.
    dumpSendDlg_ = new CDumpSendDlg(this);
    dumpSendDlg_->SetSendHandler([this](const std::string& hexDigits) { SendSysEx(hexDigits); });
    dumpReceiveDlg_ = new CDumpReceiveDlg(this);
    connect(res::Item<QPushButton>(this, res::kIdBulkSend), &QPushButton::clicked, this,
            &COstrelView::OnBulkSend);
    connect(res::Item<QPushButton>(this, res::kIdBulkReceive), &QPushButton::clicked, this,
            &COstrelView::OnBulkReceive);

    if (frame_) {
        const std::pair<int, void (COstrelView::*)()> commands[] = {
            {kCmdFileNew, &COstrelView::OnFileNew},
            {kCmdFileOpen, &COstrelView::OnFileOpen},
            {kCmdFileSave, &COstrelView::OnFileSave},
            {kCmdFileSaveAs, &COstrelView::OnFileSaveAs},
            {kCmdMidiDriver, &COstrelView::OnMidiDriver},
        };
        for (const auto& [id, slot] : commands)
            if (QAction* action = frame_->Command(id))
                connect(action, &QAction::triggered, this, slot);
        connect(frame_, &CMainFrame::ExitConfirmed, this, &COstrelView::ShutDown);
    }
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
    for (QComboBox* combo : combos_) res::WidenOpenList(combo, kOpenedListWidth);
    FillCurveCombos();

    const RememberedFile remembered = ReadRememberedFile(state_.settings);
    if (!remembered.name.empty()) {
        // The remembered file is the file in use even when it cannot be read now,
        // so that the next Save creates it there.
        std::snprintf(state_.currentCfgName, sizeof state_.currentCfgName, "%s",
                      remembered.name.c_str());
        state_.currentCfgPath = remembered.path;
        LoadConfig(state_.currentCfgPath);
    } else {
        // No file remembered, or a name without its path: nothing to reopen.
        OnFileNew();
    }
    UpdateTitle();
    // Ostrel's ports exist from here on; the remembered devices are connected
    // now or as soon as they appear.
    JoinMidiGraph(state_);
    new MidiNotices(state_, this);
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
        toldNoMidi_ = true;
        res::Ui().Message(this, NoMidiSystemText(state_), QString::fromLatin1(res::kAppCaption),
                          res::MsgButtons::Ok, res::MsgIcon::Stop);
    }
}

void COstrelView::OnStop() {
    stop_->setEnabled(false);
    start_->setEnabled(true);
    // Held notes and pedals are released.
    state_.passThrough->Stop();
}

// The monitor stays open beside the form; a second click brings it to the front.
void COstrelView::OnMonitor() { ShowMonitorWindow(this, state_); }

void COstrelView::OnMidiDriver() { RunMidiDriverDialog(this, state_); }

void COstrelView::OnVelocityCurve() { RunCurveDialogOf(CurveKind::Velocity); }

void COstrelView::OnTouchCurve() { RunCurveDialogOf(CurveKind::Touch); }

void COstrelView::OnBulkSend() { dumpSendDlg_->exec(); }

void COstrelView::OnBulkReceive() {
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

void COstrelView::SendSysEx(const std::string& hexDigits) {
    SendSysExText(this, *state_.passThrough, hexDigits);
}

void COstrelView::UpdateTitle() {
    if (frame_) frame_->UpdateTitle();
}

QComboBox* COstrelView::ComboById(int id) const {
    const int i = IndexOf(id);
    return i < 0 ? nullptr : combos_[i];
}

int COstrelView::IndexOf(int id) const {
    const auto table = FormCombos();
    for (int i = 0; i < kFormComboCount; ++i)
        if (table[i].id == id) return i;
    return -1;
}

}  // namespace ostrel
