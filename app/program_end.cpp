#include "app/program_end.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QSocketNotifier>

#include "app/end_signals.h"
#include "app/main_frame.h"

namespace ostrel {

ProgramEnd::ProgramEnd(int signalPipe, QObject* parent) : QObject(parent) {
    if (signalPipe >= 0) {
        auto* notifier = new QSocketNotifier(signalPipe, QSocketNotifier::Read, this);
        connect(notifier, &QSocketNotifier::activated, this, [this, signalPipe] {
            if (TakeEndSignals(signalPipe)) End();
        });
    }
    // At the end of the desktop session the session manager sends a Quit. Its
    // commitDataRequest is not the end: it comes for a mere checkpoint too,
    // after which the program goes on.
    qApp->installEventFilter(this);
}

void ProgramEnd::SetFrame(CMainFrame* frame) {
    frame_ = frame;
    if (ended_) QMetaObject::invokeMethod(this, &ProgramEnd::End, Qt::QueuedConnection);
}

bool ProgramEnd::eventFilter(QObject* watched, QEvent* event) {
    if (watched != qApp || event->type() != QEvent::Quit) return false;
    // Qt would close every window first, and the frame would ask its question.
    End();
    return true;
}

void ProgramEnd::End() {
    ended_ = true;
    // Menus and modal dialogs run event loops of their own; each is left, and a
    // dialog is rejected rather than closed so that none asks on its way out.
    while (QWidget* popup = QApplication::activePopupWidget()) {
        popup->close();
        if (QApplication::activePopupWidget() == popup) break;
    }
    for (QWidget* window : QApplication::topLevelWidgets()) {
        auto* dialog = qobject_cast<QDialog*>(window);
        if (dialog && dialog->isVisible() && dialog->isModal()) dialog->reject();
    }
    if (frame_) frame_->EndUnasked();
    // Every running event loop ends, nested ones too, and the program with 0.
    QCoreApplication::exit(0);
}

}  // namespace ostrel
