#pragma once

// Reading back what Qt widgets painted: grab a widget, probe its pixels against theme colours.

#include "inkstead/platform/gfx/Color.h"

#include <QColor>
#include <QImage>
#include <QRect>

#include <string>

class QWidget;

namespace ov::test {

/// The widget painted into an image at its own size (device pixel ratio 1 on the offscreen
/// platform), in ARGB32.
QImage grabImage(QWidget& widget);

/// Whether every component of `actual` is within `tolerance` (0…1) of `expected`.
bool colorNear(const QColor& actual, const ov::Color& expected, double tolerance = 3.0 / 255);
/// "r g b a" in 0…255, for failure messages.
std::string describe(const QColor& color);
std::string describe(const ov::Color& color);

/// Of the pixels in `area`, the one whose colour lies farthest from `background` (the strongest
/// ink of a text drawn there); `background` itself when nothing differs.
QColor strongestInk(const QImage& image, const QRect& area, const QColor& background);

} // namespace ov::test
