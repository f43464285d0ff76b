#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Image.h"

#include <QColor>
#include <QImage>
#include <QSize>

#include <functional>

namespace ov {
class GraphicsContext;
}

/// The theme's colour as Qt's (sRGB, components kept as floating point).
[[nodiscard]] QColor OVQColor(const ov::Color& color);
/// Qt's colour as the library's (converted to sRGB first).
[[nodiscard]] ov::Color OVColorFromQColor(const QColor& color);

/// A copy of `image` as a Qt image (premultiplied ARGB); null for a null image.
[[nodiscard]] QImage OVQImage(const ov::ImagePtr& image);

/// Draws through a graphics context of `size` points at `scale` device pixels per point and
/// returns the pixels as a Qt image whose device pixel ratio is `scale`. `draw` sees the usual
/// y-up space in points: origin at the lower left, `size` wide and high. Null for an empty size.
[[nodiscard]] QImage OVRenderQImage(QSize size, double scale,
                                    const std::function<void(ov::GraphicsContext&)>& draw);

/// Runs `work` on the main thread from Qt's event loop, in the order posted (the save manager's
/// main-queue executor in a Qt application).
void OVPostToMainThread(std::function<void()> work);
