#pragma once
// The window's side of Ostrel's place in the MIDI graph: joining it at start-up
// with the remembered devices, saying why when there is no MIDI system, and
// telling the user, without blocking anything, when the server goes or comes.
#include <QMessageBox>
#include <QObject>
#include <QPointer>

class QWidget;

namespace ostrel {

struct AppState;

// Joins the graph and chooses the devices Ostrel.ini remembers (the name, else
// the position in today's list). When no MIDI system answers, the reason is
// kept in state.midiProblem and the keeper goes on looking for one.
void JoinMidiGraph(AppState& state);

// The text of the one message shown at Start when there is no MIDI system.
QString NoMidiSystemText(const AppState& state);

// Shows the notices about the MIDI system (none at Start, server gone, server
// back) in one message window that does not block: forwarding and the form go
// on while it is up, and a newer notice replaces an older one. A notice opens
// above whatever window of Ostrel is active, an open dialog too.
class MidiNotices : public QObject {
    Q_OBJECT
  public:
    MidiNotices(AppState& state, QWidget* parent);

    // Shows text in the one notice box, replacing the notice shown before.
    void Show(const QString& text, QMessageBox::Icon icon);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Poll();
    QWidget* Owner() const;
    // Makes the notice a window of owner, so it stays above it.
    void PutAbove(QWidget* owner);

    AppState& state_;
    QWidget* parent_;
    QPointer<QMessageBox> box_;
};

}  // namespace ostrel
