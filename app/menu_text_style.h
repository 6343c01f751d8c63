#pragma once
// The frame's menu items carry their key names in their own text ("&New   Ctrl+N"),
// as the menu resource spells them. Qt would print the action's shortcut a second
// time in a column of its own; this style leaves that column out.
#include <QProxyStyle>

namespace ostrel {

class MenuTextStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override;
    QSize sizeFromContents(ContentsType type, const QStyleOption* option, const QSize& size,
                           const QWidget* widget) const override;
};

}  // namespace ostrel
