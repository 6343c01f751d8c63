// Ostrel: the window. Starts the program (one copy only) and runs its event loop.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/end_signals.h"
#include "app/main_frame.h"
#include "app/ostrel_app.h"
#include "app/program_end.h"
#include "midi/jack_library.h"
#include "res/message_box_seam.h"

namespace {

constexpr const char* kHelp =
    "usage: ostrel [--help | --version]\n"
    "The window of Ostrel: reshapes what a MIDI master keyboard sends before it\n"
    "reaches the synth. It keeps its settings (Ostrel.ini) in the folder it starts\n"
    "from; the desktop menu starts it in $XDG_CONFIG_HOME/ostrel. Qt's own options\n"
    "(-platform, -style ...) are taken too. Without a display: ostrel-cli.\n";

// --help and --version are answered before Qt starts, so that they work without
// a display. The exit status, or -1 when neither is asked for.
int AnswerHelpOrVersion(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("ostrel %s\n", OSTREL_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
    }
    return -1;
}

// The desktop menu's launcher (ostrel-start) sets OSTREL_START_FAILURE when it
// cannot prepare the folder of the settings: a start from the menu has no
// terminal, so the window shows the reason in a message box and ends.
int ShowStartFailure(int argc, char** argv, const char* why) {
    std::fprintf(stderr, "ostrel: %s\n", why);
    QApplication qt(argc, argv);
    QMessageBox box(QMessageBox::Critical, ostrel::res::kAppCaption, QString::fromLocal8Bit(why),
                    QMessageBox::Ok);
    // Named by its dialog id (IDOK), as the program's other controls are.
    box.button(QMessageBox::Ok)->setObjectName("1");
    box.exec();
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (const int status = AnswerHelpOrVersion(argc, argv); status >= 0) return status;
    if (const char* why = std::getenv("OSTREL_START_FAILURE"); why && *why)
        return ShowStartFailure(argc, argv, why);
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
