#include "app/code_box.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>
#include <algorithm>

#include "res/dialog_builder.h"

namespace ostrel {
namespace {

// The popup is open while its list view is visible.
bool ListIsOpen(const QComboBox* combo) { return combo->view()->isVisible(); }

bool IsReturn(const QKeyEvent* key) {
    return key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter;
}

}  // namespace

CodeBox::CodeBox(QString& lastItemText, QWidget* parent)
    : QComboBox(parent), lastItemText_(lastItemText) {
    setEditable(true);
    // The box completes typed text itself (step by step, as the user types), so
    // Qt's own inline completer stays out of the way.
    setCompleter(nullptr);
    connect(lineEdit(), &QLineEdit::textEdited, this, &CodeBox::OnTextEdited);
    // Return in the edit field would turn a typed text into a pick; typed text
    // must never reach the table, so the key is taken here (the box passes its
    // keys on to the edit field).
    installEventFilter(this);
    lineEdit()->installEventFilter(this);
    // Keys typed while the list is open search the list (FilterListKey).
    view()->installEventFilter(this);
    view()->parentWidget()->installEventFilter(this);
}

void CodeBox::ShowText(const QString& text) {
    if (text.isEmpty()) {
        // An empty text begins no item: the box shows nothing rather than its
        // first item, which would claim a choice the table does not hold.
        const QSignalBlocker block(this);
        setCurrentIndex(-1);
        setEditText(QString());
    } else {
        res::LoadComboText(this, text);
    }
}

bool CodeBox::eventFilter(QObject* watched, QEvent* event) {
    QLineEdit* edit = lineEdit();
    QWidget* popup = view()->parentWidget();
    const bool boxOrEdit = watched == this || watched == edit;
    if (boxOrEdit && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->matches(QKeySequence::SelectAll)) {
        // Nobody selects all of a code's text: Ctrl+A stays the window's key
        // (Save As). The edit field does not claim it, so the shortcut runs.
        event->ignore();
        return true;
    }
    if (boxOrEdit && event->type() == QEvent::KeyPress) {
        if (!IsReturn(static_cast<QKeyEvent*>(event))) return false;
        // Return ends the typing: it never turns typed text into a pick.
        emit TypingEnded();
        return true;
    }
    if (watched == this && event->type() == QEvent::FocusOut &&
        static_cast<QFocusEvent*>(event)->reason() != Qt::PopupFocusReason) {
        emit TypingEnded();  // typing ends when the box loses the focus
        return false;
    }
    if (watched == popup && event->type() == QEvent::Show) {
        searchClock_.invalidate();  // each opening starts a new search
        edit->setSelection(edit->text().size(), -edit->text().size());
        return false;
    }
    if (watched == popup && event->type() == QEvent::Hide) {
        // The list closes: typing in it has ended. A pick from the list is
        // written after this and then shows itself.
        emit TypingEnded();
        return false;
    }
    if (watched == view() &&
        (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride))
        return FilterListKey(static_cast<QKeyEvent*>(event));
    return QComboBox::eventFilter(watched, event);
}

// Keys typed while the list is open search it, as in any list: keys in quick
// succession make one text that an item begins with. The item found is the
// completed text, shown in the edit field; it is no pick.
bool CodeBox::FilterListKey(QKeyEvent* key) {
    // Return (or Enter) chooses the highlighted row, whether typing or the arrow
    // keys brought it there, as in any list. The list acts on the key's shortcut
    // check; the key press that follows, once the list has closed, is no key of
    // the box's.
    if (IsReturn(key)) return !ListIsOpen(this);
    if (key->type() != QEvent::KeyPress) return false;
    // Erasing has nothing to erase in a list.
    if (key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete) return true;
    if (key->text().isEmpty() || !key->text().at(0).isPrint()) return false;
    SearchOpenList(key->text());
    return true;
}

void CodeBox::SearchOpenList(const QString& keys) {
    // Keys in quick succession go on with the search; a new one starts after
    // the row shown, so that one key typed again steps through its items.
    const bool goOn =
        searchClock_.isValid() && searchClock_.elapsed() <= QApplication::keyboardInputInterval();
    search_ = goOn ? search_ + keys : keys;
    searchClock_.start();
    const int shown = view()->currentIndex().row();
    const int from = goOn ? std::max(shown, 0) : shown + 1;
    for (int i = 0; i < count(); ++i) {
        const int row = (from + i) % count();
        if (!itemText(row).startsWith(search_, Qt::CaseInsensitive)) continue;
        view()->setCurrentIndex(model()->index(row, 0));
        lastItemText_ = itemText(row);
        ShowText(lastItemText_);
        emit TextCompleted();
        SelectShownText();
        return;
    }
    // No item begins with the keys: nothing changes.
}

void CodeBox::OnTextEdited(const QString& text) {
    // While the list is open it follows the typed text to the first item that
    // begins with it; while it is closed typing selects nothing and the last
    // completed text comes back.
    const int item = ListIsOpen(this) && !text.isEmpty() ? res::FindItemWithPrefix(this, text) : -1;
    if (item >= 0) lastItemText_ = itemText(item);
    ShowText(lastItemText_);
    emit TextCompleted();
    if (ListIsOpen(this) && currentIndex() >= 0)
        view()->setCurrentIndex(model()->index(currentIndex(), 0));
    SelectShownText();
}

void CodeBox::focusInEvent(QFocusEvent* event) {
    // The edit field takes the focus first (a text reached by Tab is selected
    // with the caret at its end); then the box shows its text from the start,
    // where the code is. A click leaves the caret where it went.
    QComboBox::focusInEvent(event);
    if (event->reason() != Qt::MouseFocusReason && event->reason() != Qt::PopupFocusReason)
        SelectShownText();
}

void CodeBox::SelectShownText() {
    // The completed text is selected, so the next key in the edit field replaces
    // it; the caret stays at its start, so the text shows from its beginning.
    const int length = lineEdit()->text().size();
    lineEdit()->setSelection(length, -length);
}

}  // namespace ostrel
