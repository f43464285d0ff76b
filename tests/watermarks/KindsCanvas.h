#pragma once

// Colour probes shared by the watermark kind tests, and drawing on the white canvas of
// tests/support.

#include "inkstead/watermarks/OVWatermark.h"
#include "support/PixelProbes.h"

#include <gtest/gtest.h>

namespace kinds_test {

using ov::test::whiteCanvas;

inline bool near(const ov::Color& a, const ov::Color& b, double tolerance = 0.02) {
    return ov::test::colorNear(a, b, tolerance);
}
inline bool isWhite(const ov::Color& c) {
    return near(c, ov::Color::white());
}
inline bool isBlack(const ov::Color& c) {
    return near(c, ov::Color::black());
}

/// `mark` drawn, with the bounds it has, on a white canvas of width × height.
inline ov::ImagePtr drawnOnWhite(OVWatermark& mark, int width, int height) {
    auto canvas = whiteCanvas(width, height);
    mark.renderInContext(*canvas);
    return canvas->makeImage();
}

} // namespace kinds_test
