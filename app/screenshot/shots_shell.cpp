// The shell's dialogs: About, MIDI driver setting, monitor with a few entries.
#include <QStringList>

#include "app/about_dlg.h"
#include "app/app_state.h"
#include "app/main_frame.h"
#include "app/monitor_dlg.h"
#include "app/screenshot/shot_registry.h"
#include "midi/gui/midi_driver_dlg.h"
#include "midi/monitor_line.h"
#include "midi/pass_through.h"
#include "midi/port_keeper.h"

namespace ostrel::shots {
namespace {

std::unique_ptr<QWidget> MonitorWithEntries(ShotContext& c) {
    auto dlg = std::make_unique<CMonitorDlg>(c.state.settings, nullptr, c.frame);
    dlg->OnStart();
    QStringList lines;
    MonitorEvent e;
    e.time = 1700000000;
    e.kind = MonitorEvent::Kind::ShortMessage;
    e.in = MakeShort(0xB0, 0x4A, 0x40);   // knob 1 to 64 ...
    e.out = MakeShort(0xB0, 0x07, 0x40);  // ... sent as controller 7
    lines << QString::fromStdString(FormatMonitorLine(e));
    e.in = e.out = MakeShort(0x90, 0x3C, 0x7F);  // a note passes unchanged
    lines << QString::fromStdString(FormatMonitorLine(e));
    e.in = MakeShort(0xE0, 0x40, 0x00);  // pitch bend, switched off
    e.out = {};
    lines << QString::fromStdString(FormatMonitorLine(e));
    const uint8_t gmOn[] = {0xF0, 0x7E, 0x7F, 0x09, 0x01, 0xF7};
    e = MonitorEvent{};
    e.time = 1700000001;
    e.kind = MonitorEvent::Kind::LongMessage;
    e.receivedLength = sizeof gmOn;
    std::copy(std::begin(gmOn), std::end(gmOn), e.received);
    lines << QString::fromStdString(FormatMonitorLine(e));
    dlg->AppendLines(lines);
    return dlg;
}

const RegisterShot kAbout("about",
                          [](ShotContext& c) { return std::make_unique<CAboutDlg>(c.frame); });
const RegisterShot kMidiDriver("midi_driver", [](ShotContext& c) {
    CMidiDriverDlg::Lists lists;
    lists.inputs = c.state.ports->Devices(PortDirection::Input);
    lists.outputs = c.state.ports->Devices(PortDirection::Output);
    lists.chosenInput = c.state.ports->Chosen(PortDirection::Input);
    lists.chosenOutput = c.state.ports->Chosen(PortDirection::Output);
    return std::make_unique<CMidiDriverDlg>(lists, c.state.settings, c.frame);
});
const RegisterShot kMonitor("monitor", MonitorWithEntries);

}  // namespace
}  // namespace ostrel::shots
