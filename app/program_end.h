#pragma once
// The program ends unasked when no person is asking: on SIGINT, SIGTERM or
// SIGHUP (see end_signals.h), and when the desktop session ends (the session
// manager's "die" reaches the program as QEvent::Quit). Open dialogs and menus
// are left, the frame releases every held note and pedal and closes the
// ports, and the event loop ends with status 0.
#include <QObject>
#include <QPointer>

class QEvent;

namespace ostrel {

class CMainFrame;

class ProgramEnd : public QObject {
    Q_OBJECT
  public:
    // signalPipe: the read end that InstallEndSignals() returned, or -1.
    explicit ProgramEnd(int signalPipe, QObject* parent = nullptr);

    // The frame that ends with the program. An end asked for before the frame
    // existed happens as soon as the event loop runs.
    void SetFrame(CMainFrame* frame);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void End();

    QPointer<CMainFrame> frame_;
    bool ended_ = false;
};

}  // namespace ostrel
