#pragma once
// Lights the box of every entry that decided a message just now, and keeps it
// lit while messages go on and for about a third of a second after: the knob's
// box while the knob moves, the key's box when a note of the octave that Key
// Octave shows is played, the Channel box when it moved a message. The boxes of
// the never-ending streams (MIDI clock, Active Sensing) light only as a stream
// starts and after a pause (StreamLight).
// Reads the pass-through's entry activity ten times a second (as often as the
// monitor shows its lines) while the form is on the screen; hidden or
// minimised, it draws nothing. A stream's pause is so seen to within a tenth of
// a second. Each lighting is also told to the accessibility interface, once.
#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <array>

#include "app/ostrel_view_combos.h"
#include "app/stream_light.h"
#include "midi/entry_activity.h"

class QComboBox;
class QWidget;

namespace ostrel {

class EntryHighlight : public QObject {
    Q_OBJECT
  public:
    // form: the main form with its combos (a child of it); activity: the
    // pass-through's, which outlives the form, and which stamps its entries
    // only while the form is on the screen.
    EntryHighlight(EntryActivity& activity, QWidget* form);
    ~EntryHighlight() override;

    static constexpr int kPollMs = 100;  // a box lights within a tenth of a second
    static constexpr int kLitMs = 330;   // how long a box stays lit
    // The background of a lit box.
    static QColor LitColor() { return QColor(0xFF, 0xCC, 0x33); }

    // Looks at the activity now and lights or darkens the boxes (the timer's work).
    void Poll();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    // Polls while the form is on the screen; otherwise every box goes dark.
    void UpdateRunning();
    // The activity slot whose light box i shows, or -1.
    int SlotShownBy(int i) const;
    void SetLit(int i, bool on);

    EntryActivity& activity_;
    QWidget* form_;
    QWidget* watchedWindow_ = nullptr;
    QComboBox* octave_ = nullptr;
    QTimer timer_;
    QElapsedTimer clock_;
    std::array<QComboBox*, kFormComboCount> combos_{};
    std::array<bool, kFormComboCount> lit_{};
    std::array<uint32_t, EntryActivity::kSlotCount> seen_{};
    std::array<qint64, EntryActivity::kSlotCount> litUntil_{};  // on clock_, ms
    std::array<StreamLight, EntryActivity::kSlotCount> streams_{};
};

}  // namespace ostrel
