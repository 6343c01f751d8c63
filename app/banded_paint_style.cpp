#include "app/banded_paint_style.h"

#include <QImage>
#include <QPaintDevice>
#include <QPainter>
#include <QStyleOptionComplex>
#include <algorithm>
#include <cmath>

namespace ostrel {
namespace {

// Rows of the device per band: a fill of fewer than 96 rows is done in place.
constexpr int kBandRows = 90;

}  // namespace

void BandedPaintStyle::drawComplexControl(ComplexControl control, const QStyleOptionComplex* option,
                                          QPainter* painter, const QWidget* widget) const {
    const QRect all = option->rect;
    const qreal ratio = std::max<qreal>(painter->device()->devicePixelRatio(), 1.0);
    const int band = std::max(1, static_cast<int>(kBandRows / ratio));
    if (all.height() <= band || !painter->transform().isIdentity()) {
        QProxyStyle::drawComplexControl(control, option, painter, widget);
        return;
    }
    // Each band is drawn whole into an image of its own rows, then put in place.
    QImage image(static_cast<int>(std::ceil(all.width() * ratio)),
                 static_cast<int>(std::ceil(band * ratio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    for (int top = all.top(); top <= all.bottom(); top += band) {
        image.fill(Qt::transparent);
        {
            QPainter rows(&image);
            rows.setRenderHints(painter->renderHints());
            rows.translate(-all.left(), -top);
            QProxyStyle::drawComplexControl(control, option, &rows, widget);
        }
        painter->drawImage(QPoint(all.left(), top), image);
    }
}

}  // namespace ostrel
