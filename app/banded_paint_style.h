#pragma once
// Paints complex controls (scroll bars) in bands of a few dozen rows. Qt's
// raster engine hands every fill taller than about a hundred rows to its thread
// pool and waits for it; a log's scroll bar, repainted with each of its ten
// hand-overs a second, so woke three threads several times a paint for fills
// that take microseconds. In bands, each fill stays on the window's thread; the
// pixels are the same, as every band is the same drawing clipped.
#include <QProxyStyle>

namespace ostrel {

class BandedPaintStyle : public QProxyStyle {
  public:
    using QProxyStyle::QProxyStyle;

    void drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                            QPainter* painter, const QWidget* widget) const override;
};

}  // namespace ostrel
