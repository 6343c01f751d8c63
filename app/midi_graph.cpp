#include "app/midi_graph.h"

#include <QMessageBox>
#include <QTimer>

#include "app/app_state.h"
#include "midi/midi_system.h"
#include "midi/port_keeper.h"
#include "midi/remembered_ports.h"
#include "res/message_box_seam.h"

namespace ostrel {

void JoinMidiGraph(AppState& state) {
    PortKeeper& ports = *state.ports;
    std::string why;
    if (!ports.Start(&why) && state.midiProblem.empty())
        state.midiProblem = std::string("No MIDI system: ") + why + NoMidiSystemHint(*state.midi) +
                            ". Ostrel looks for a " + ports.SystemName() +
                            " server every 2 seconds.";
    for (PortDirection d : {PortDirection::Input, PortDirection::Output})
        ports.Choose(d, ReadRememberedPort(state.settings, d, ports.Devices(d)));
}

QString NoMidiSystemText(const AppState& state) {
    return QString::fromStdString(state.midiProblem) +
           QStringLiteral(" Nothing is forwarded until a MIDI system answers.");
}

MidiNotices::MidiNotices(AppState& state, QWidget* parent)
    : QObject(parent), state_(state), parent_(parent) {
    auto* timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, &MidiNotices::Poll);
    timer->start(250);
}

void MidiNotices::Poll() {
    std::string notice;
    while (state_.ports->TakeNotice(notice)) {
        if (state_.ports->Online()) state_.midiProblem.clear();
        if (!box_) {
            box_ = new QMessageBox(QMessageBox::Information, QString::fromLatin1(res::kAppCaption),
                                   QString(), QMessageBox::Ok, parent_);
            box_->setObjectName(QStringLiteral("MidiNotice"));
            box_->setAttribute(Qt::WA_DeleteOnClose);
            box_->setModal(false);
        }
        box_->setText(QString::fromStdString(notice));
        box_->show();
    }
}

}  // namespace ostrel
