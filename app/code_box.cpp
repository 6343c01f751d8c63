#include "app/code_box.h"

#include <QAbstractItemView>
#include <QCoreApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSignalBlocker>

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
    // Typing while the list is open goes to the edit field; opening the list
    // selects the whole text so that the first key replaces it.
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
    if (boxOrEdit && event->type() == QEvent::ShortcutOverride) {
        // The frame's keys come before the edit field's own, as its accelerators
        // did: Ctrl+A is Save As here too, not "select all".
        const auto* key = static_cast<QKeyEvent*>(event);
        return key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_A);
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
        listRowFromTyping_ = -1;
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

// Typing while the list is open goes to the edit field, as in a drop-down
// combo whose list never takes the keyboard.
bool CodeBox::FilterListKey(QKeyEvent* key) {
    if (IsReturn(key)) {
        // The row that typing highlighted is no pick: Return only closes the
        // list, so typed text never reaches the table. A row the user moved to
        // is picked as usual. (The list acts on the key's shortcut check, which
        // comes before the key press itself.)
        if (!ListIsOpen(this)) return true;
        if (listRowFromTyping_ < 0 || view()->currentIndex().row() != listRowFromTyping_)
            return false;
        listRowFromTyping_ = -1;
        hidePopup();
        key->accept();
        return true;
    }
    if (key->type() != QEvent::KeyPress) return false;
    const bool typing = key->key() == Qt::Key_Backspace || key->key() == Qt::Key_Delete ||
                        (!key->text().isEmpty() && key->text().at(0).isPrint());
    if (!typing) {
        listRowFromTyping_ = -1;  // the user moves in the list
        return false;
    }
    QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
    QCoreApplication::sendEvent(lineEdit(), &copy);
    return true;
}

void CodeBox::OnTextEdited(const QString& text) {
    // While the list is open it follows the typed text to the first item that
    // begins with it; while it is closed typing selects nothing and the last
    // completed text comes back.
    const int item = ListIsOpen(this) && !text.isEmpty() ? res::FindItemWithPrefix(this, text) : -1;
    if (item >= 0) lastItemText_ = itemText(item);
    ShowText(lastItemText_);
    emit TextCompleted();
    listRowFromTyping_ = -1;
    if (ListIsOpen(this) && currentIndex() >= 0) {
        view()->setCurrentIndex(model()->index(currentIndex(), 0));
        listRowFromTyping_ = currentIndex();
    }
    // The completed text is selected, so the next key replaces it; the caret
    // stays at its start, so the text shows from its beginning.
    const int length = lineEdit()->text().size();
    lineEdit()->setSelection(length, -length);
}

}  // namespace ostrel
