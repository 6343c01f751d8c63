#pragma once
// A combo box of the main form that edits one code. Picks from its list are the
// form's business; typed text is the box's own: while the list is open, keys
// typed in quick succession search it by its items' beginnings and highlight
// the item found, which Return then picks like any highlighted row. Typing into
// the closed box only completes text; once typing ends (Return in the closed
// box, the list closing, the focus leaving) the box says so, and the form shows
// the code in force again.
#include <QComboBox>
#include <QElapsedTimer>

class QFocusEvent;
class QKeyEvent;

namespace ostrel {

class CodeBox : public QComboBox {
    Q_OBJECT
  public:
    // lastItemText: the text that typed text was last completed to, shared by
    // all boxes of a form: typing in a closed box brings back the text last
    // completed in any box.
    CodeBox(QString& lastItemText, QWidget* parent);

    // An empty text selects nothing; any other selects the item it begins, or is
    // shown as it is.
    void ShowText(const QString& text);

  signals:
    // Typing has ended: the box should show the code in force again.
    void TypingEnded();
    // Typed text has been completed and shown.
    void TextCompleted();

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;

  private:
    void OnTextEdited(const QString& text);
    bool FilterListKey(QKeyEvent* key);
    // Searches the open list with keys typed in quick succession and shows the
    // item found as the completed text.
    void SearchOpenList(const QString& keys);
    void SelectShownText();

    QString& lastItemText_;
    // The keys typed in quick succession into the open list, and when the last came.
    QString search_;
    QElapsedTimer searchClock_;
};

}  // namespace ostrel
