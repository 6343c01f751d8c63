// Ostrel: the window. Starts the program (one copy only) and runs its event loop.
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "app/end_signals.h"
#include "app/main_frame.h"
#include "app/ostrel_app.h"
#include "app/program_end.h"
#include "midi/jack_library.h"
#include "res/message_box_seam.h"

namespace {

constexpr const char* kUsage = "usage: ostrel [--help | --version] [FILE.cfg | FILE.setlist]\n";
constexpr const char* kHelp =
    "The window of Ostrel: reshapes what a MIDI master keyboard sends before it\n"
    "reaches the synth. It keeps its settings (Ostrel.ini) in the folder it starts\n"
    "from; the desktop menu starts it in $XDG_CONFIG_HOME/ostrel. A configuration\n"
    "file or a setlist given is opened. Qt's own options (-platform, -style ...)\n"
    "are taken too. Without a display: ostrel-cli.\n";

// Qt's own options, which QApplication takes: those followed by a value, then
// the switches. Either may start with one dash or two, and a value may follow '='.
constexpr const char* kQtValueOptions[] = {"-platform",
                                           "-platformpluginpath",
                                           "-platformtheme",
                                           "-plugin",
                                           "-qwindowgeometry",
                                           "-qwindowicon",
                                           "-qwindowtitle",
                                           "-style",
                                           "-stylesheet",
                                           "-session",
                                           "-display",
                                           "-geometry",
                                           "-title",
                                           "-name",
                                           "-visual",
                                           "-ncols",
                                           "-cmap",
                                           "-qmljsdebugger",
                                           "-dialogs",
                                           "-fontengine"};
constexpr const char* kQtSwitches[] = {"-reverse", "-widgetcount", "-nograb",
                                       "-dograb",  "-sync",        "-testability"};

bool IsOneOf(const std::string& name, const auto& names) {
    for (const char* n : names)
        if (name == n) return true;
    return false;
}

// What the command line asks: an exit status (-1: go on) and the file to open.
struct StartRequest {
    int status = -1;
    std::string file;
};

// --help, --version and mistakes are answered before Qt starts, so that they
// work without a display.
StartRequest ReadArguments(int argc, char** argv) {
    StartRequest request;
    const auto refuse = [&request](const std::string& why) {
        std::fprintf(stderr, "ostrel: %s\n%s", why.c_str(), kUsage);
        request.status = 2;
        return request;
    };
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && arg.size() > 1 && arg[0] == '-') {
            if (arg == "--version") {
                std::printf("ostrel %s\n", OSTREL_VERSION);
                request.status = 0;
                return request;
            }
            if (arg == "--help" || arg == "-h") {
                std::fputs(kUsage, stdout);
                std::fputs(kHelp, stdout);
                request.status = 0;
                return request;
            }
            const std::string name =
                arg.substr(arg[1] == '-' ? 1 : 0, arg.find('=') - (arg[1] == '-' ? 1 : 0));
            if (IsOneOf(name, kQtValueOptions)) {
                if (arg.find('=') == std::string::npos) ++i;
            } else if (!IsOneOf(name, kQtSwitches)) {
                return refuse("unknown option '" + arg + "'");
            }
        } else if (request.file.empty()) {
            request.file = arg;
        } else {
            return refuse("one file at a time: '" + arg + "' is a second one");
        }
    }
    return request;
}

// Qt ends the program (abort, status 134) when no platform can be opened, with
// words about reinstalling it; the window says what it is missing and exits 1.
void SayNoGraphicalSession(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type != QtFatalMsg) {
        std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData());
        return;
    }
    const bool noDisplay = !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY");
    std::fprintf(stderr,
                 "ostrel: the window needs a graphical session, and none could be opened%s.\n"
                 "Start it on a desktop, or use ostrel-cli without one.\n",
                 noDisplay ? " (neither DISPLAY nor WAYLAND_DISPLAY is set)" : "");
    std::_Exit(1);
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
    const StartRequest request = ReadArguments(argc, argv);
    if (request.status >= 0) return request.status;
    if (const char* why = std::getenv("OSTREL_START_FAILURE"); why && *why)
        return ShowStartFailure(argc, argv, why);
    // On a PipeWire desktop without jackd, on PipeWire's libjack (this may
    // start the program again, before anything else has happened).
    ostrel::RestartOnPipeWireJackWhenWanted(argv);
    // Before anything else, so that a signal during start-up ends the program
    // too, once its event loop runs.
    const int signalPipe = ostrel::InstallEndSignals();
    const QtMessageHandler qtWords = qInstallMessageHandler(SayNoGraphicalSession);
    QApplication qt(argc, argv);
    qInstallMessageHandler(qtWords);
    ostrel::ProgramEnd end(signalPipe);
    ostrel::COstrelApp app;
    if (!app.InitInstance()) return 1;
    end.SetFrame(app.Frame());
    // A file given (as a desktop's file manager gives it) is opened after the
    // one remembered from the last session.
    if (!request.file.empty()) {
        std::error_code error;
        const std::filesystem::path path = std::filesystem::absolute(request.file, error);
        app.OpenFile(error ? request.file : path.string());
    }
    // The program ends when the user confirms the exit, not when the last visible
    // window closes: with the frame hidden in the tray, closing a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(app.Frame(), &ostrel::CMainFrame::Exiting, &qt, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return qt.exec();
}
