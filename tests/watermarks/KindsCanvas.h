#pragma once

// Small drawing helpers shared by the watermark kind tests: a white canvas and colour probes.

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>

namespace kinds_test {

inline std::unique_ptr<ov::GraphicsContext> whiteCanvas(int width, int height) {
    auto context = ov::GraphicsContext::createBitmap(width, height);
    context->setFillColor(ov::Color::white());
    context->fillRect({0, 0, double(width), double(height)});
    return context;
}

inline bool near(const ov::Color& a, const ov::Color& b, double tolerance = 0.02) {
    return std::fabs(a.red - b.red) <= tolerance && std::fabs(a.green - b.green) <= tolerance &&
           std::fabs(a.blue - b.blue) <= tolerance && std::fabs(a.alpha - b.alpha) <= tolerance;
}

inline bool isWhite(const ov::Color& c) {
    return near(c, ov::Color::white());
}
inline bool isBlack(const ov::Color& c) {
    return near(c, ov::Color::black());
}

} // namespace kinds_test
