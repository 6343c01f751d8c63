#include "app/entry_highlight.h"

#include <QAccessible>
#include <QComboBox>
#include <QEvent>
#include <QPalette>
#include <QWidget>

#include "res/dialog_builder.h"

namespace ostrel {
namespace {

// The entries that only never-ending streams fire: MIDI clock (Tempo) and
// Active Sensing. Every other entry fires because a control moves.
bool IsStreamSlot(int slot) {
    return slot == EntryActivity::SlotOf(Entry::KNOB08) ||
           slot == EntryActivity::SlotOf(Entry::ACTIVE);
}

}  // namespace

EntryHighlight::EntryHighlight(EntryActivity& activity, QWidget* form)
    : QObject(form), activity_(activity), form_(form) {
    const auto table = FormCombos();
    for (int i = 0; i < kFormComboCount; ++i) combos_[i] = res::Item<QComboBox>(form, table[i].id);
    octave_ = res::Item<QComboBox>(form, kIdKeyOctave);
    timer_.setInterval(kPollMs);
    connect(&timer_, &QTimer::timeout, this, &EntryHighlight::Poll);
    clock_.start();
    form->installEventFilter(this);
}

EntryHighlight::~EntryHighlight() { activity_.SetWatched(false); }

bool EntryHighlight::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Show:
            // The form's window is known once the form is shown inside it; its
            // minimising is told to the window only.
            if (watched == form_ && watchedWindow_ == nullptr && form_->window() != form_) {
                watchedWindow_ = form_->window();
                watchedWindow_->installEventFilter(this);
            }
            [[fallthrough]];
        case QEvent::Hide:
        case QEvent::WindowStateChange:
            // Sent once the change is made: visibility and window state are new.
            UpdateRunning();
            break;
        default:
            break;
    }
    return false;
}

void EntryHighlight::UpdateRunning() {
    const bool onScreen = form_->isVisible() && !form_->window()->isMinimized();
    if (onScreen == timer_.isActive()) return;
    activity_.SetWatched(onScreen);
    if (onScreen) {
        // What fired while nothing was shown is past: it does not light now.
        for (int s = 0; s < EntryActivity::kSlotCount; ++s) seen_[s] = activity_.LastFired(s);
        litUntil_.fill(0);
        timer_.start();
        return;
    }
    timer_.stop();
    for (int i = 0; i < kFormComboCount; ++i) SetLit(i, false);
}

void EntryHighlight::Poll() {
    const qint64 now = clock_.elapsed();
    for (int s = 0; s < EntryActivity::kSlotCount; ++s) {
        const uint32_t fired = activity_.LastFired(s);
        if (fired == seen_[s]) continue;
        seen_[s] = fired;
        // A moving control keeps its box lit; a stream lights it only as it
        // starts and after a pause.
        if (!IsStreamSlot(s) || streams_[s].Fired(now)) litUntil_[s] = now + kLitMs;
    }
    for (int i = 0; i < kFormComboCount; ++i) {
        const int slot = SlotShownBy(i);
        SetLit(i, slot >= 0 && litUntil_[slot] > now);
    }
}

int EntryHighlight::SlotShownBy(int i) const {
    const FormCombo& combo = FormCombos()[i];
    switch (combo.role) {
        case ComboRole::Entry:
        case ComboRole::MasterFader:
        case ComboRole::Curve:
            return EntryActivity::SlotOf(combo.entry);
        case ComboRole::Key: {
            // A key box shows a note of the octave that Key Octave shows.
            const int octave = octave_ ? octave_->currentIndex() : -1;
            const int note = NoteIndex(octave, combo.key);
            return octave >= 0 && note < 128 ? EntryActivity::NoteSlot(note) : -1;
        }
        case ComboRole::KeyOctave:
            break;
    }
    return -1;
}

void EntryHighlight::SetLit(int i, bool on) {
    QComboBox* combo = combos_[i];
    if (lit_[i] == on || combo == nullptr) return;
    lit_[i] = on;
    if (!on) {
        combo->setPalette(QPalette());  // the form's colours again
        return;
    }
    QPalette palette = combo->palette();
    palette.setColor(QPalette::Base, LitColor());
    palette.setColor(QPalette::Button, LitColor());
    combo->setPalette(palette);
    // A screen reader hears of it too: one event each time the box lights, which
    // carries the box's name and what its choice does (its description).
    QAccessibleEvent event(combo, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&event);
}

}  // namespace ostrel
