#include "support/gui/WidgetProbe.h"

#include <QPixmap>
#include <QWidget>

#include <cmath>
#include <cstdio>

namespace ov::test {

QImage grabImage(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_ARGB32);
}

bool colorNear(const QColor& actual, const ov::Color& expected, double tolerance) {
    return std::abs(actual.redF() - expected.red) <= tolerance &&
           std::abs(actual.greenF() - expected.green) <= tolerance &&
           std::abs(actual.blueF() - expected.blue) <= tolerance &&
           std::abs(actual.alphaF() - expected.alpha) <= tolerance;
}

std::string describe(const QColor& c) {
    char text[48];
    std::snprintf(text, sizeof text, "%d %d %d %d", c.red(), c.green(), c.blue(), c.alpha());
    return text;
}

std::string describe(const ov::Color& c) {
    return describe(QColor::fromRgbF(static_cast<float>(c.red), static_cast<float>(c.green),
                                     static_cast<float>(c.blue), static_cast<float>(c.alpha)));
}

QColor strongestInk(const QImage& image, const QRect& area, const QColor& background) {
    QColor best = background;
    int bestDistance = 0;
    const QRect clipped = area.intersected(image.rect());
    for (int y = clipped.top(); y <= clipped.bottom(); ++y) {
        for (int x = clipped.left(); x <= clipped.right(); ++x) {
            const QColor c = image.pixelColor(x, y);
            const int d = std::abs(c.red() - background.red()) +
                          std::abs(c.green() - background.green()) +
                          std::abs(c.blue() - background.blue());
            if (d > bestDistance) {
                bestDistance = d;
                best = c;
            }
        }
    }
    return best;
}

} // namespace ov::test
