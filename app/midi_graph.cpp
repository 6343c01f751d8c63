#include "app/midi_graph.h"

#include <QApplication>
#include <QEvent>
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
    if (!state.link.Join(&why) && state.midiProblem.empty())
        state.midiProblem = "No MIDI system: " + why + ". Ostrel looks for a " +
                            ports.SystemName() + " server every 2 seconds.";
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

// The window a notice opens above: the dialog that holds the input now, else
// Ostrel's active window, else the main form (the notice itself active: where
// it is).
QWidget* MidiNotices::Owner() const {
    QWidget* owner = QApplication::activeModalWidget();
    if (!owner) owner = QApplication::activeWindow();
    if (box_ && owner == box_) return box_->parentWidget();
    if (!owner || owner == parent_->window()) return parent_;
    return owner;
}

void MidiNotices::PutAbove(QWidget* owner) {
    if (box_->parentWidget() == owner) return;
    if (box_->parentWidget() && box_->parentWidget() != parent_)
        box_->parentWidget()->removeEventFilter(this);
    box_->setParent(owner, box_->windowFlags());
    // A notice above a dialog stays when the dialog closes: it goes back above
    // the form.
    if (owner != parent_) owner->installEventFilter(this);
}

bool MidiNotices::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Hide && box_ && watched == box_->parentWidget() &&
        watched != parent_ && box_->isVisible()) {
        PutAbove(parent_);
        box_->show();
    }
    return false;
}

void MidiNotices::Poll() {
    std::string notice;
    while (state_.ports->TakeNotice(notice)) {
        if (state_.ports->Online()) state_.midiProblem.clear();
        Show(QString::fromStdString(notice), QMessageBox::Information);
    }
}

void MidiNotices::Show(const QString& text, QMessageBox::Icon icon) {
    QWidget* owner = Owner();
    if (!box_) {
        box_ = new QMessageBox(icon, QString::fromLatin1(res::kAppCaption), QString(),
                               QMessageBox::Ok, parent_);
        box_->setObjectName(QStringLiteral("MidiNotice"));
        box_->setAttribute(Qt::WA_DeleteOnClose);
        box_->setModal(false);
    }
    // One box: a newer notice replaces the one that is no longer true.
    PutAbove(owner);
    box_->setIcon(icon);
    box_->setText(text);
    box_->show();
    box_->raise();
}

}  // namespace ostrel
