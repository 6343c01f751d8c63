#include "res/item_names.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QComboBox>
#include <QLineEdit>
#include <QStringList>
#include <algorithm>
#include <tuple>

namespace ostrel::res {
namespace {

// An item's rectangle in dialog units; right and bottom lie just outside. A
// combo box is as high as it is closed.
struct Box {
    int left, top, right, bottom;
    int CentreY() const { return (top + bottom) / 2; }
};

Box BoxOf(const DialogItem& it) {
    const int height = it.kind == ItemKind::ComboBox ? kClosedComboHeightDlu : it.height;
    return {it.x, it.y, it.x + it.width, it.y + height};
}

int Overlap(int a0, int a1, int b0, int b1) { return std::min(a1, b1) - std::max(a0, b0); }

bool HasText(const DialogItem& it) { return it.text && *it.text; }

bool IsStatic(const DialogItem& it) {
    return it.kind == ItemKind::StaticLeft || it.kind == ItemKind::StaticCenter ||
           it.kind == ItemKind::StaticRight;
}
bool IsButton(const DialogItem& it) {
    return it.kind == ItemKind::PushButton || it.kind == ItemKind::DefaultPushButton;
}
// A caption: a static text without an id (texts with an id show values).
bool IsCaption(const DialogItem& it) { return IsStatic(it) && it.id <= 0 && HasText(it); }
bool IsField(const DialogItem& it) {
    return it.kind == ItemKind::ComboBox || it.kind == ItemKind::ListBox ||
           it.kind == ItemKind::Edit || (IsStatic(it) && it.id > 0);
}

// The innermost group box around the item's centre, or null.
const DialogItem* GroupOf(const DialogTemplate& tmpl, const DialogItem& it) {
    const Box b = BoxOf(it);
    const int cx = (b.left + b.right) / 2, cy = b.CentreY();
    const DialogItem* inner = nullptr;
    for (const DialogItem& g : tmpl.items) {
        if (g.kind != ItemKind::GroupBox || &g == &it) continue;
        const Box gb = BoxOf(g);
        if (cx < gb.left || cx >= gb.right || cy < gb.top || cy >= gb.bottom) continue;
        if (!inner || g.width * g.height < inner->width * inner->height) inner = &g;
    }
    return inner;
}

// The caption (or button) nearest to the field's left whose middle lies on the
// field's line.
const DialogItem* RowCaption(const DialogTemplate& tmpl, const DialogItem& field,
                             const DialogItem* group) {
    const Box f = BoxOf(field);
    const DialogItem* best = nullptr;
    for (const DialogItem& c : tmpl.items) {
        if (!(IsCaption(c) || (IsButton(c) && HasText(c))) || GroupOf(tmpl, c) != group) continue;
        const Box b = BoxOf(c);
        if (b.right > f.left || b.CentreY() < f.top || b.CentreY() >= f.bottom) continue;
        if (!best || b.right > BoxOf(*best).right) best = &c;
    }
    return best;
}

// Whether the caption names a field to its right on its own line: then it is
// that field's label and no column's.
bool LabelsARow(const DialogTemplate& tmpl, const DialogItem& caption, const DialogItem* group) {
    const Box b = BoxOf(caption);
    for (const DialogItem& f : tmpl.items) {
        if (!IsField(f) || &f == &caption) continue;
        const Box fb = BoxOf(f);
        if (fb.left < b.right || b.CentreY() < fb.top || b.CentreY() >= fb.bottom) continue;
        if (GroupOf(tmpl, f) == group && RowCaption(tmpl, f, group) == &caption) return true;
    }
    return false;
}

// The caption over or under the field's column: widest overlap, then above
// before below, then the nearest. A caption that labels a row is none.
const DialogItem* ColumnCaption(const DialogTemplate& tmpl, const DialogItem& field,
                                const DialogItem* group) {
    const Box f = BoxOf(field);
    const DialogItem* best = nullptr;
    std::tuple<int, bool, int> bestRank;
    for (const DialogItem& c : tmpl.items) {
        if (!IsCaption(c) || GroupOf(tmpl, c) != group) continue;
        const Box b = BoxOf(c);
        const int overlap = Overlap(f.left, f.right, b.left, b.right);
        const bool above = b.bottom <= f.top;
        if (overlap <= 0 || !(above || b.top >= f.bottom)) continue;
        const int gap = above ? f.top - b.bottom : b.top - f.bottom;
        const std::tuple<int, bool, int> rank{overlap, above, -gap};
        if ((!best || rank > bestRank) && !LabelsARow(tmpl, c, group)) best = &c, bestRank = rank;
    }
    return best;
}

// On Linux Qt calls a combo box by the item it shows. A combo box with a name of
// its own is called by that name here, and the item it shows is its value; one
// without keeps Qt's way. Its children are those Qt gives it: the open list and
// the edit field.
class ComboAccessible final : public QAccessibleWidget {
  public:
    explicit ComboAccessible(QComboBox* combo) : QAccessibleWidget(combo, QAccessible::ComboBox) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value) return Combo()->currentText();
        if (t == QAccessible::Name && Combo()->accessibleName().isEmpty())
            return Combo()->currentText();
        return QAccessibleWidget::text(t);
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.editable = Combo()->isEditable();
        s.expandable = true;
        s.expanded = Combo()->view()->isVisible();
        return s;
    }
    int childCount() const override { return Combo()->isEditable() ? 2 : 1; }
    QAccessibleInterface* child(int index) const override {
        if (index == 0) return QAccessible::queryAccessibleInterface(Combo()->view());
        if (index == 1 && Combo()->isEditable())
            return QAccessible::queryAccessibleInterface(Combo()->lineEdit());
        return nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        if (child->object() == Combo()->view()) return 0;
        if (Combo()->isEditable() && child->object() == Combo()->lineEdit()) return 1;
        return -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QLineEdit* edit = Combo()->lineEdit();
        if (edit && edit->rect().contains(edit->mapFromGlobal(QPoint(x, y)))) return child(1);
        return nullptr;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& action) override {
        if (action != showMenuAction() && action != pressAction()) return;
        if (Combo()->view()->isVisible())
            Combo()->hidePopup();
        else
            Combo()->showPopup();
    }

  private:
    QComboBox* Combo() const { return static_cast<QComboBox*>(object()); }
};

QAccessibleInterface* ComboFactory(const QString&, QObject* object) {
    auto* combo = qobject_cast<QComboBox*>(object);
    return combo ? new ComboAccessible(combo) : nullptr;
}

}  // namespace

QString ItemName(const DialogTemplate& tmpl, int index) {
    const DialogItem& it = tmpl.items[index];
    if (IsButton(it)) return QString::fromLatin1(it.name ? it.name : it.text).simplified();
    if (!IsField(it) && !it.name) return {};
    const DialogItem* group = GroupOf(tmpl, it);
    QStringList parts;
    const auto add = [&parts](const DialogItem* item) {
        if (item && HasText(*item)) parts << QString::fromLatin1(item->text).simplified();
    };
    add(group);
    if (it.name) {
        parts << QString::fromLatin1(it.name);
    } else {
        add(RowCaption(tmpl, it, group));
        add(ColumnCaption(tmpl, it, group));
    }
    return parts.join(QStringLiteral(", "));
}

void NameItem(QWidget* widget, const DialogTemplate& tmpl, int index) {
    // Installed once, after the application's own factories: Qt asks the last
    // installed first.
    static const bool installed = [] {
        QAccessible::installFactory(ComboFactory);
        return true;
    }();
    (void)installed;
    const QString name = ItemName(tmpl, index);
    if (!name.isEmpty()) widget->setAccessibleName(name);
    // A button's text may be a box's row caption ("V.Curve"); its group says
    // what the button belongs to ("Curve", "Bulk Dump").
    const DialogItem& it = tmpl.items[index];
    const DialogItem* group = IsButton(it) ? GroupOf(tmpl, it) : nullptr;
    if (group && HasText(*group))
        widget->setAccessibleDescription(QString::fromLatin1(group->text).simplified());
}

}  // namespace ostrel::res
