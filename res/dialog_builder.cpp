#include "res/dialog_builder.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QStyle>
#include <algorithm>

#include "res/item_names.h"

namespace ostrel::res {
namespace {

// A wheel turned over a combo box changes its choice only while the box has the
// focus: a wheel on its way past must not change an assignment. The turn goes on
// to the window instead.
class WheelOnlyWhenFocused final : public QObject {
  public:
    using QObject::QObject;
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Wheel || static_cast<QWidget*>(watched)->hasFocus())
            return false;
        event->ignore();
        return true;
    }
};

void SetUpComboBox(QComboBox* c) {
    // The wheel does not take the focus either.
    c->setFocusPolicy(Qt::StrongFocus);
    c->installEventFilter(new WheelOnlyWhenFocused(c));
    // A closed box is narrower than its items: its tooltip is the whole text it
    // shows, kept with every change of that text. (The text is read when the
    // change is told: a handler of the edit may have replaced it meanwhile.)
    const auto showTextAsTip = [c] { c->setToolTip(c->currentText()); };
    if (QLineEdit* edit = c->lineEdit())
        QObject::connect(edit, &QLineEdit::textChanged, c, showTextAsTip);
    else
        QObject::connect(c, &QComboBox::currentTextChanged, c, showTextAsTip);
}

// The caption is drawn across the top line of the frame, the line running at
// half the caption's height, as the templates' layouts assume: items placed just
// below a group box's top then lie inside the frame, not on its line.
void DrawCaptionAcrossFrameLine(QGroupBox* g) {
    const int captionHeight = g->fontMetrics().height();
    g->setStyleSheet(
        QStringLiteral("QGroupBox { border: 1px solid palette(mid); margin-top: %1px; }"
                       "QGroupBox::title { subcontrol-origin: margin; left: %2px;"
                       " padding: 0px 2px; background-color: palette(window); }")
            .arg(captionHeight / 2)
            .arg(DluToPixelsX(4)));
}

QRect PixelRect(const DialogItem& it) {
    return QRect(DluToPixelsX(it.x), DluToPixelsY(it.y), DluToPixelsX(it.width),
                 DluToPixelsY(it.height));
}

QWidget* MakeItem(QWidget* parent, const DialogItem& it, const ComboMaker& makeCombo) {
    const QString text = QString::fromLatin1(it.text ? it.text : "");
    switch (it.kind) {
        case ItemKind::PushButton:
        case ItemKind::DefaultPushButton: {
            auto* b = new QPushButton(text, parent);
            b->setAutoDefault(false);
            b->setDefault(it.kind == ItemKind::DefaultPushButton);
            return b;
        }
        case ItemKind::StaticLeft:
        case ItemKind::StaticCenter:
        case ItemKind::StaticRight: {
            auto* l = new QLabel(text, parent);
            l->setAlignment(it.kind == ItemKind::StaticCenter  ? Qt::AlignHCenter | Qt::AlignTop
                            : it.kind == ItemKind::StaticRight ? Qt::AlignRight | Qt::AlignTop
                                                               : Qt::AlignLeft | Qt::AlignTop);
            return l;
        }
        case ItemKind::GroupBox: {
            auto* g = new QGroupBox(text, parent);
            // Group boxes are drawn behind the items that lie inside them.
            g->lower();
            return g;
        }
        case ItemKind::ComboBox: {
            QComboBox* c = makeCombo ? makeCombo(parent) : new QComboBox(parent);
            c->setEditable(!(it.flags & kDropDownList));
            c->setInsertPolicy(QComboBox::NoInsert);
            c->setMaxVisibleItems(qMax(4, it.height / 8));
            c->setProperty("sorted", bool(it.flags & kSorted));
            SetUpComboBox(c);
            return c;
        }
        case ItemKind::ListBox: {
            auto* l = new QListWidget(parent);
            l->setSortingEnabled(it.flags & kSorted);
            return l;
        }
        case ItemKind::Edit: {
            if (it.flags & kMultiline) {
                auto* e = new QPlainTextEdit(parent);
                e->setLineWrapMode((it.flags & kHScroll) ? QPlainTextEdit::NoWrap
                                                         : QPlainTextEdit::WidgetWidth);
                e->setReadOnly(it.flags & kReadOnly);
                e->setPlainText(text);
                return e;
            }
            auto* e = new QLineEdit(text, parent);
            e->setReadOnly(it.flags & kReadOnly);
            return e;
        }
        case ItemKind::Picture: {
            auto* l = new QLabel(parent);
            l->setFrameStyle(QFrame::Box | QFrame::Plain);
            l->setAlignment(Qt::AlignCenter);
            return l;
        }
        case ItemKind::CustomArea: {
            auto* f = new QFrame(parent);
            if (it.flags & kBorder) f->setFrameStyle(QFrame::Box | QFrame::Plain);
            return f;
        }
    }
    return nullptr;
}

}  // namespace

QFont TemplateFont(const DialogFont& font) {
    const QString face = QString::fromLatin1(font.face);
    QFont f;
    if (face.contains("Courier", Qt::CaseInsensitive)) {
        f = QFont("DejaVu Sans Mono");
        f.setStyleHint(QFont::Monospace);
        f.setPixelSize(font.points + 2);
    } else {
        f = QFont("DejaVu Sans");
        f.setStyleHint(QFont::SansSerif);
        // "MS Sans Serif" 8 has base units of 6 x 13 pixels; this size fits them.
        f.setPixelSize(font.points + 2);
    }
    return f;
}

void BuildDialog(QWidget* target, const DialogTemplate& tmpl, const ComboMaker& makeCombo) {
    target->setObjectName(QString::fromLatin1(tmpl.className));
    target->setWindowTitle(QString::fromLatin1(tmpl.caption ? tmpl.caption : ""));
    target->setFont(TemplateFont(tmpl.font));
    target->setFixedSize(DluToPixelsX(tmpl.width), DluToPixelsY(tmpl.height));
    QList<QWidget*> groups;
    for (int i = 0; i < int(tmpl.items.size()); ++i) {
        const DialogItem& it = tmpl.items[i];
        QWidget* w = MakeItem(target, it, makeCombo);
        if (!w) continue;
        if (it.id > 0) w->setObjectName(QString::number(it.id));
        NameItem(w, tmpl, i);
        QRect r = PixelRect(it);
        if (it.kind == ItemKind::ComboBox) r.setHeight(DluToPixelsY(kClosedComboHeightDlu) + 2);
        w->setGeometry(r);
        w->setEnabled(!(it.flags & kDisabled));
        if (it.kind == ItemKind::GroupBox) {
            DrawCaptionAcrossFrameLine(static_cast<QGroupBox*>(w));
            groups.append(w);
        }
    }
    for (QWidget* g : groups) g->lower();
}

void AddComboItems(QComboBox* combo, const QStringList& items) {
    const QSignalBlocker block(combo);
    combo->addItems(items);
    if (combo->property("sorted").toBool()) combo->model()->sort(0);
    WidenOpenList(combo, 0);
}

void WidenOpenList(QComboBox* combo, int atLeast) {
    QAbstractItemView* view = combo->view();
    // The longest item, the list's frame and its scroll bar.
    const int fit = view->sizeHintForColumn(0) +
                    2 * view->style()->pixelMetric(QStyle::PM_DefaultFrameWidth) +
                    view->style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    view->setMinimumWidth(std::max({view->minimumWidth(), atLeast, fit}));
}

int FindItemWithPrefix(const QComboBox* combo, const QString& prefix) {
    for (int i = 0; i < combo->count(); ++i)
        if (combo->itemText(i).startsWith(prefix, Qt::CaseInsensitive)) return i;
    return -1;
}

int FindItemWithPrefix(const QListWidget* list, const QString& prefix) {
    for (int i = 0; i < list->count(); ++i)
        if (list->item(i)->text().startsWith(prefix, Qt::CaseInsensitive)) return i;
    return -1;
}

void LoadComboText(QComboBox* combo, const QString& text) {
    const QSignalBlocker block(combo);
    const int i = FindItemWithPrefix(combo, text);
    combo->setCurrentIndex(i);
    if (i < 0 && combo->isEditable()) combo->setEditText(text);
}

}  // namespace ostrel::res
