#pragma once
// Names for screen readers, read off a dialog template: every field is called by
// the captions that a sighted user reads for it, so that a player who hears the
// window can tell one box from another. The dialog builder names every item it
// makes; nothing else keeps a list of names.
#include <QString>

#include "res/dialog_template.h"

class QWidget;

namespace ostrel::res {

// The name of tmpl's item `index`, its parts joined by ", " with runs of blanks
// made single:
// - a field (combo box, list, text box, a static text with an id) is named by its
//   group box's caption, the caption on its line to its left (a static text, or
//   a button's text, as V.Curve beside its box) and the static text over or under
//   its column (the one that overlaps its width most; above before below;
//   nearest first), each from the field's own group;
// - a button by its text, or its own name when it has one (its group box's
//   caption becomes its description);
// - an item with a name of its own (DialogItem::name) by its group and that name.
// Static captions, group boxes and pictures get no name: they show their own text.
QString ItemName(const DialogTemplate& tmpl, int index);

// Gives widget, made from tmpl's item `index`, the name ItemName says (when it
// says one). A combo box so named keeps that name, whatever item it shows; the
// item shown is its value.
void NameItem(QWidget* widget, const DialogTemplate& tmpl, int index);

}  // namespace ostrel::res
