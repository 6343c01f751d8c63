// The combos' behaviour: a pick in a list writes the table, Key Octave chooses the
// twelve notes that the key combos show, and typed text is completed to a list
// item without ever reaching the table: once typing ends the combo shows the
// choice in force again.
#include <QAbstractItemView>
#include <QComboBox>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

#include "app/app_state.h"
#include "app/main_form.h"
#include "res/dialog_builder.h"
#include "res/item_lists.h"
#include "store/display_text.h"

namespace ostrel {
namespace {

QString CodeText(const AssignmentCode& code) {
    return QString::fromStdString(DisplayText(code.text));
}

// The popup is open while its list view is visible.
bool ListIsOpen(const QComboBox* combo) { return combo->view()->isVisible(); }

}  // namespace

void COstrelView::ConnectCombo(int index) {
    QComboBox* combo = combos_[index];
    // The form completes typed text itself (step by step, as the user types), so
    // Qt's own inline completer stays out of the way.
    combo->setCompleter(nullptr);
    connect(combo, &QComboBox::activated, this, [this, index](int item) {
        if (item < 0) return;
        OnComboPicked(index, item);
        ShowTextStarts();
    });
    connect(combo->lineEdit(), &QLineEdit::textEdited, this,
            [this, index](const QString& text) { OnComboTextEdited(index, text); });
    // Return in the edit field would turn a typed text into a pick; typed text
    // must never reach the table, so the key is taken here (the combo passes its
    // keys on to the edit field).
    combo->installEventFilter(this);
    combo->lineEdit()->installEventFilter(this);
    // Typing while the list is open goes to the edit field, as in a drop-down
    // combo whose list never takes the keyboard; opening the list selects the
    // whole text so that the first key replaces it.
    combo->view()->installEventFilter(this);
    combo->view()->parentWidget()->installEventFilter(this);
}

bool COstrelView::eventFilter(QObject* watched, QEvent* event) {
    for (int index = 0; index < kFormComboCount; ++index) {
        QComboBox* combo = combos_[index];
        QLineEdit* edit = combo->lineEdit();
        if ((watched == edit || watched == combo) && event->type() == QEvent::ShortcutOverride) {
            // The frame's keys come before the edit field's own, as its accelerators
            // did: Ctrl+A is Save As here too, not "select all".
            const auto* key = static_cast<QKeyEvent*>(event);
            return key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_A);
        }
        if ((watched == edit || watched == combo) && event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key != Qt::Key_Return && key != Qt::Key_Enter) return false;
            // Return ends the typing: it never turns typed text into a pick.
            ShowChoiceInForce(index);
            return true;
        }
        if (watched == combo && event->type() == QEvent::FocusOut &&
            static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
            ShowChoiceInForce(index);  // typing ends when the combo loses the focus
            return false;
        }
        if (watched == combo->view()->parentWidget() && event->type() == QEvent::Show) {
            listRowFromTyping_ = -1;
            edit->setSelection(edit->text().size(), -edit->text().size());
            return false;
        }
        if (watched == combo->view()->parentWidget() && event->type() == QEvent::Hide) {
            // The list closes: typing in it has ended. A pick from the list is
            // written after this and then shows itself.
            ShowChoiceInForce(index);
            return false;
        }
        const bool keyPress = event->type() == QEvent::KeyPress;
        if (watched == combo->view() && (keyPress || event->type() == QEvent::ShortcutOverride)) {
            auto* key = static_cast<QKeyEvent*>(event);
            if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter) {
                // The row that typing highlighted is no pick: Return only closes
                // the list, so typed text never reaches the table. A row the user
                // moved to is picked as usual. (The list acts on the key's
                // shortcut check, which comes before the key press itself.)
                if (!ListIsOpen(combo)) return true;
                if (listRowFromTyping_ < 0 ||
                    combo->view()->currentIndex().row() != listRowFromTyping_)
                    return false;
                listRowFromTyping_ = -1;
                combo->hidePopup();
                key->accept();
                return true;
            }
            if (!keyPress) return false;
            const bool typing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                                (!key->text().isEmpty() && key->text().at(0).isPrint());
            if (!typing) {
                listRowFromTyping_ = -1;  // the user moves in the list
                return false;
            }
            QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
            QCoreApplication::sendEvent(edit, &copy);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void COstrelView::SaveDisplay() {
    for (int i = 0; i < kFormComboCount; ++i) display_[i] = combos_[i]->currentText();
}

void COstrelView::LoadDisplay() {
    for (int i = 0; i < kFormComboCount; ++i) ShowText(combos_[i], display_[i]);
    ShowTextStarts();
}

void COstrelView::ShowText(QComboBox* combo, const QString& text) {
    if (text.isEmpty()) {
        // An empty text begins no item: the combo shows nothing rather than its
        // first item, which would claim a choice the table does not hold.
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(-1);
        combo->setEditText(QString());
    } else {
        res::LoadComboText(combo, text);
    }
}

AssignmentCode COstrelView::CodeInForce(const FormCombo& combo) const {
    return combo.role == ComboRole::Key ? state_.table.GetNote(NoteIndex(octaveShown_, combo.key))
                                        : state_.table.Get(combo.entry);
}

void COstrelView::ShowChoiceInForce(int index) {
    const FormCombo& c = FormCombos()[index];
    QComboBox* combo = combos_[index];
    if (c.role == ComboRole::KeyOctave) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(octaveShown_);
    } else if (c.role != ComboRole::Key || NoteIndex(octaveShown_, c.key) <= 127) {
        // (The keys past G10 of the top octave are disabled and keep their text.)
        ShowText(combo, CodeText(ListFormOf(CodeInForce(c))));
    }
    combo->lineEdit()->setCursorPosition(0);
}

void COstrelView::ShowTextStarts() {
    for (QComboBox* combo : combos_) combo->lineEdit()->setCursorPosition(0);
}

void COstrelView::OnComboPicked(int index, int item) {
    const FormCombo& combo = FormCombos()[index];
    if (combo.role == ComboRole::KeyOctave) {
        OnOctavePicked(item);
        return;
    }
    SaveDisplay();
    const QString text = combos_[index]->itemText(item);
    const QByteArray bytes = text.toLatin1();
    switch (combo.role) {
        case ComboRole::Entry:
            state_.table.SetFromItemText(combo.entry, bytes.constData());
            break;
        case ComboRole::MasterFader: {
            // Both master fader combos edit VOLM and always show the same item.
            const int other =
                combo.id == kIdMasterFaderUpper ? kIdMasterFaderLower : kIdMasterFaderUpper;
            QComboBox* mirror = ComboById(other);
            const QSignalBlocker block(mirror);
            mirror->setCurrentIndex(item);
            state_.table.SetFromItemText(Entry::VOLM, bytes.constData());
            break;
        }
        case ComboRole::Key: {
            // The cell of the octave the key combos show, whatever text is typed
            // into Key Octave meanwhile.
            const int note = NoteIndex(octaveShown_, combo.key);
            if (note <= 127) state_.table.SetNoteFromItemText(note, bytes.constData());
            break;
        }
        case ComboRole::Curve:
            OnCurvePicked(combo, text);
            break;
        case ComboRole::KeyOctave:
            break;
    }
}

void COstrelView::OnOctavePicked(int octave) {
    SaveDisplay();
    if (octave < 0 || octave > res::kTopOctave) return;
    octaveShown_ = octave;
    EnableUpperKeys(true);
    const int keys = octave == res::kTopOctave ? 8 : kKeyCount;  // C10..G10: notes 120..127
    for (int k = 0; k < keys; ++k)
        ShowCodeByIndex(ComboById(KeyComboId(k)), state_.table.GetNote(NoteIndex(octave, k)));
    if (octave == res::kTopOctave) EnableUpperKeys(false);
}

void COstrelView::EnableUpperKeys(bool on) {
    for (int k = 8; k < kKeyCount; ++k) ComboById(KeyComboId(k))->setEnabled(on);
}

void COstrelView::ShowCodeByIndex(QComboBox* combo, const AssignmentCode& code) {
    const int position = CodeToListPosition(code);
    if (position >= 0 && position < combo->count()) {
        const QSignalBlocker block(combo);
        combo->setCurrentIndex(position);
    } else {
        // A code that is no list item (from a hand-edited file) is shown as it is,
        // exactly as opening the file showed it.
        res::LoadComboText(combo, CodeText(code));
    }
}

void COstrelView::OnComboTextEdited(int index, const QString& text) {
    SaveDisplay();
    QComboBox* combo = combos_[index];
    // While the list is open it follows the typed text to the first item that
    // begins with it; while it is closed typing selects nothing.
    const int item =
        ListIsOpen(combo) && !text.isEmpty() ? res::FindItemWithPrefix(combo, text) : -1;
    if (item < 0) {
        display_[index] = lastItemText_;
    } else {
        display_[index] = combo->itemText(item);
        lastItemText_ = display_[index];
    }
    LoadDisplay();
    listRowFromTyping_ = -1;
    if (ListIsOpen(combo) && combo->currentIndex() >= 0) {
        combo->view()->setCurrentIndex(combo->model()->index(combo->currentIndex(), 0));
        listRowFromTyping_ = combo->currentIndex();
    }
    // The completed text is selected, so the next key replaces it; the caret
    // stays at its start, so the text shows from its beginning.
    const int length = combo->lineEdit()->text().size();
    combo->lineEdit()->setSelection(length, -length);
}

}  // namespace ostrel
