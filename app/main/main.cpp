// Ostrel: the window. Starts the program (one copy only) and runs its event loop.
#include <QApplication>

#include "app/end_signals.h"
#include "app/main_frame.h"
#include "app/ostrel_app.h"
#include "app/program_end.h"
#include "midi/jack_library.h"

int main(int argc, char** argv) {
    // On a PipeWire desktop without jackd, on PipeWire's libjack (this may
    // start the program again, before anything else has happened).
    ostrel::RestartOnPipeWireJackWhenWanted(argv);
    // Before anything else, so that a signal during start-up ends the program
    // too, once its event loop runs.
    const int signalPipe = ostrel::InstallEndSignals();
    QApplication qt(argc, argv);
    ostrel::ProgramEnd end(signalPipe);
    ostrel::COstrelApp app;
    if (!app.InitInstance()) return 1;
    end.SetFrame(app.Frame());
    // The program ends when the user confirms the exit, not when the last visible
    // window closes: with the frame hidden in the tray, closing a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(app.Frame(), &ostrel::CMainFrame::Exiting, &qt, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return qt.exec();
}
