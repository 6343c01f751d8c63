#include "app/menu_text_style.h"

#include <QStyleOptionMenuItem>

namespace ostrel {
namespace {

// The menu hands the item text as "text\tshortcut"; keep the text only.
QStyleOptionMenuItem WithoutShortcut(const QStyleOptionMenuItem& item) {
    QStyleOptionMenuItem copy = item;
    const qsizetype tab = copy.text.indexOf(u'\t');
    if (tab >= 0) copy.text.truncate(tab);
    copy.reservedShortcutWidth = 0;
    return copy;
}

}  // namespace

void MenuTextStyle::drawControl(ControlElement element, const QStyleOption* option,
                                QPainter* painter, const QWidget* widget) const {
    if (element == CE_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            const QStyleOptionMenuItem copy = WithoutShortcut(*item);
            QProxyStyle::drawControl(element, &copy, painter, widget);
            return;
        }
    }
    QProxyStyle::drawControl(element, option, painter, widget);
}

QSize MenuTextStyle::sizeFromContents(ContentsType type, const QStyleOption* option,
                                      const QSize& size, const QWidget* widget) const {
    if (type == CT_MenuItem) {
        if (const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option)) {
            const QStyleOptionMenuItem copy = WithoutShortcut(*item);
            return QProxyStyle::sizeFromContents(type, &copy, size, widget);
        }
    }
    return QProxyStyle::sizeFromContents(type, option, size, widget);
}

}  // namespace ostrel
