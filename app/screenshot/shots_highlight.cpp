// The main form with the box of the knob just moved lit, and the monitor open
// beside it naming the entry that decided each message: the real path, from a
// message at the fake keyboard through the pass-through to both windows.
#include <QComboBox>
#include <QLabel>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QThread>

#include "app/app_state.h"
#include "app/entry_highlight.h"
#include "app/event_pump.h"
#include "app/main_frame.h"
#include "app/monitor_dlg.h"
#include "app/screenshot/shot_registry.h"
#include "res/dialog_builder.h"
#include "res/template_main_form.h"
#include "store/settings_keys.h"

namespace ostrel::shots {
namespace {

constexpr int kGap = 12;

// As a pick in the opened list reports it to the form.
void Pick(QWidget* form, int comboId, const char* code) {
    auto* combo = res::Item<QComboBox>(form, comboId);
    const int item = res::FindItemWithPrefix(combo, QString::fromLatin1(code));
    combo->setCurrentIndex(item);
    emit combo->activated(item);
}

// Lights what the messages fired, then lets the lights go out.
void PlayAndFade(ShotContext& c, EntryHighlight& lights,
                 const std::vector<FakeMidiSystem::Bytes>& messages) {
    for (const auto& message : messages) c.midi.Deliver(message);
    lights.Poll();
    QThread::msleep(EntryHighlight::kLitMs + 50);
    lights.Poll();
}

std::unique_ptr<QWidget> FormLitWithMonitor(ShotContext& c) {
    QWidget* form = c.frame->MainForm();
    AppState& state = c.state;
    EntryHighlight& lights = *form->findChild<EntryHighlight*>();
    Pick(form, 1046, "007");  // Knob1: Channel Volume
    Pick(form, 1051, "###");  // PitchBend: off
    Pick(form, 1045, "064");  // key C of octave 0 ...
    Pick(form, 1076, "C5");   // ... and of octave 5, shown now
    Pick(form, 1045, "064");
    WriteMonitorOn(state.settings, true);
    WriteMonitorExplain(state.settings, true);
    res::Item<QPushButton>(form, res::kIdStart)->click();
    CMonitorDlg* monitor = ShowMonitorWindow(form, state);

    PlayAndFade(c, lights, {{0x90, 0x3C, 0x64}, {0xE0, 0x00, 0x40}, {0xFC}, {0x80, 0x3C, 0x40}});
    c.midi.Deliver({0xB0, 0x4A, 0x40});  // knob 1, lit in the picture
    state.events->Drain();
    lights.Poll();

    // Both windows side by side, as a desktop shows them.
    const QPixmap left = c.frame->grab();
    const QPixmap right = monitor->grab();
    QPixmap both(left.width() + kGap + right.width(), std::max(left.height(), right.height()));
    both.fill(QColor(0x5A, 0x6E, 0x82));
    QPainter painter(&both);
    painter.drawPixmap(0, 0, left);
    painter.drawPixmap(left.width() + kGap, 0, right);
    painter.end();

    monitor->reject();
    res::Item<QPushButton>(form, res::kIdStop)->click();
    for (const int id : {1046, 1051, 1045}) Pick(form, id, "***");
    Pick(form, 1076, "C0");
    Pick(form, 1045, "***");

    auto label = std::make_unique<QLabel>();
    label->setPixmap(both);
    label->setFixedSize(both.size());
    return label;
}

const RegisterShot kFormLitWithMonitor("main_window_lit_with_monitor", FormLitWithMonitor);

}  // namespace
}  // namespace ostrel::shots
