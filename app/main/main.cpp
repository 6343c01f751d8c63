// Ostrel: the window. Starts the program (one copy only) and runs its event loop.
#include <QApplication>

#include "app/main_frame.h"
#include "app/ostrel_app.h"

int main(int argc, char** argv) {
    QApplication qt(argc, argv);
    ostrel::COstrelApp app;
    if (!app.InitInstance()) return 1;
    // The program ends when the user confirms the exit, not when the last visible
    // window closes: with the frame hidden in the tray, closing a dialog must not end it.
    QApplication::setQuitOnLastWindowClosed(false);
    QObject::connect(app.Frame(), &ostrel::CMainFrame::Exiting, &qt, &QCoreApplication::quit,
                     Qt::QueuedConnection);
    return qt.exec();
}
