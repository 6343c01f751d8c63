#pragma once
// Builds the widgets of a dialog template into a widget, and finds them again.
#include <QString>
#include <QWidget>
#include <functional>

#include "res/dialog_template.h"

class QComboBox;
class QListWidget;

namespace ostrel::res {

// Creates every item of tmpl as a child of target, at its pixel rectangle, with
// objectName = the id in decimal (items without an id get none) and the name
// that screen readers call it by (res/item_names.h). Sets target's
// objectName to the class name, its title to the caption, its font and its fixed
// size. Combo boxes are editable drop-downs (sorted ones carry property "sorted");
// their height is that of a closed combo, the template height is the list's; a
// wheel changes them only while they have the focus, and their tooltip is the
// text they show. Group box captions lie across the frame's top line.
// makeCombo, when given, creates the combo boxes (of the class the dialog needs).
using ComboMaker = std::function<QComboBox*(QWidget* parent)>;
void BuildDialog(QWidget* target, const DialogTemplate& tmpl, const ComboMaker& makeCombo = {});

// The font that stands for a template font at the fixed base units.
QFont TemplateFont(const DialogFont& font);

// The child with objectName = id.
template <typename T>
T* Item(const QWidget* dialog, int id) {
    return dialog->findChild<T*>(QString::number(id));
}

// Combo contents exchange as the templates' dialogs expect it.
// Adds items; a combo with property "sorted" keeps them in text order. The open
// list is widened to show its longest item whole.
void AddComboItems(QComboBox* combo, const QStringList& items);
// Widens the combo's open list to at least atLeast pixels and to its longest item;
// it never narrows it, and the closed box keeps its size.
void WidenOpenList(QComboBox* combo, int atLeast);
// Load direction: selects the first item whose text begins with text (ignoring
// case) and shows it; when none does, clears the selection and shows text itself.
// Emits no selection signals.
void LoadComboText(QComboBox* combo, const QString& text);
// Index of the first item that begins with prefix, ignoring case, or -1.
int FindItemWithPrefix(const QComboBox* combo, const QString& prefix);
int FindItemWithPrefix(const QListWidget* list, const QString& prefix);

}  // namespace ostrel::res
