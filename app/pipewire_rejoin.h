#pragma once
// The window joins a PipeWire server that starts after it did (a login where
// Ostrel starts first). One process cannot hold both libjacks, so the window
// starts itself again on PipeWire's, as it would have at start. What the user
// did goes along: the table in force, unsaved edits included, is kept in a
// file of the runtime folder that the new start reads instead of the
// remembered file, with whether forwarding was started; everything else is in
// the settings already. An open dialog is never taken away: the start again
// waits until the dialog is closed.
#include <QObject>
#include <QTimer>
#include <functional>

namespace ostrel {

class AssignmentTable;
struct AppState;

// At start: what a start again left for this one. True, with the table (when
// one was kept: *hasTable) and whether forwarding was started, when there is
// something; its file is removed.
bool TakeKeptSession(AssignmentTable& table, bool* hasTable, bool* running);

class PipeWireRejoin : public QObject {
  public:
    struct Window {
        std::function<const AssignmentTable*()> tableToKeep;  // null: a setlist rules
        std::function<bool()> running;
        std::function<void()> shutDown;  // releases what is held, closes the ports
    };
    PipeWireRejoin(AppState& state, Window window, QObject* parent);

  private:
    void Look();

    AppState& state_;
    Window window_;
    QTimer timer_;
};

}  // namespace ostrel
