#pragma once

// Reading back drawn pixels and the geometry they follow: coordinates within a tolerance, a white
// canvas to draw on, colour comparison, grey-level probes, and the check that a decoded or
// rendered picture is the generated one the right way up.

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <functional>
#include <initializer_list>
#include <memory>
#include <string>

namespace ov::test {

/// Whether every component of `a`, alpha included, is within `tolerance` of `b`'s.
bool colorNear(const Color& a, const Color& b, double tolerance = 0.02);

/// Checks each coordinate (and side) of `actual` within `tolerance` of `expected`'s.
void expectNear(Point actual, Point expected, double tolerance = 1e-9);
void expectNear(Rect actual, Rect expected, double tolerance = 1e-9);

/// A bitmap context painted all over in `color`.
std::unique_ptr<GraphicsContext> solidCanvas(int width, int height, const Color& color);
/// A bitmap context painted opaque white.
inline std::unique_ptr<GraphicsContext> whiteCanvas(int width, int height) {
    return solidCanvas(width, height, Color::white());
}

/// An expected grey level (the red channel) at a pixel of a context (y up).
struct GrayProbe {
    int x, y;
    double gray;
};
/// Checks every probe within two levels of 255.
void expectGray(const GraphicsContext& context, std::initializer_list<GrayProbe> probes);

/// The smallest box of pixels (rows counted upward) that `inked` accepts; empty when none is.
struct PixelBox {
    int minX = 1 << 30, minY = 1 << 30, maxX = -1, maxY = -1;
    [[nodiscard]] bool empty() const { return maxX < 0; }
    [[nodiscard]] int width() const { return maxX - minX + 1; }
    [[nodiscard]] int height() const { return maxY - minY + 1; }
};
PixelBox pixelBox(const Image& image, const std::function<bool(const Color&)>& inked);

/// Checks that `image` (of the given size) shows the picture of uprightPicture() the right way
/// up: the gradient's values at the corners and centre, and the dark mark near the top left.
void expectUprightPicture(const Image& image, int width, int height, const std::string& label);

} // namespace ov::test
