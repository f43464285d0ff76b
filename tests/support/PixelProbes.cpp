#include "support/PixelProbes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace ov::test {

bool colorNear(const Color& a, const Color& b, double tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

void expectNear(Point actual, Point expected, double tolerance) {
    EXPECT_NEAR(actual.x, expected.x, tolerance) << "x";
    EXPECT_NEAR(actual.y, expected.y, tolerance) << "y";
}

void expectNear(Rect actual, Rect expected, double tolerance) {
    expectNear(actual.origin, expected.origin, tolerance);
    EXPECT_NEAR(actual.size.width, expected.size.width, tolerance) << "width";
    EXPECT_NEAR(actual.size.height, expected.size.height, tolerance) << "height";
}

std::unique_ptr<GraphicsContext> solidCanvas(int width, int height, const Color& color) {
    auto context = GraphicsContext::createBitmap(width, height);
    context->setFillColor(color);
    context->fillRect({0, 0, double(width), double(height)});
    return context;
}

void expectGray(const GraphicsContext& context, std::initializer_list<GrayProbe> probes) {
    const ImagePtr image = context.makeImage();
    for (const GrayProbe& p : probes)
        EXPECT_NEAR(image->colorAt(p.x, p.y).red, p.gray, 2.0 / 255) << "at " << p.x << "," << p.y;
}

PixelBox pixelBox(const Image& image, const std::function<bool(const Color&)>& inked) {
    PixelBox box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (inked(image.colorAt(x, y))) {
                box = {std::min(box.minX, x), std::min(box.minY, y), std::max(box.maxX, x),
                       std::max(box.maxY, y)};
            }
    return box;
}

void expectUprightPicture(const Image& image, int width, int height, const std::string& label) {
    ASSERT_EQ(image.width(), width) << label;
    ASSERT_EQ(image.height(), height) << label;
    // Positions as fractions of the width and height, y downwards; the first is in the mark.
    const std::pair<double, double> probes[] = {
        {0.19, 0.19}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9}, {0.5, 0.5}};
    for (const auto& [fx, fy] : probes) {
        const int x = static_cast<int>(fx * width);
        const int yDown = static_cast<int>(fy * height);
        const auto c = image.colorAt(x, height - 1 - yDown);
        const bool inMark = fx >= 0.125 && fx < 0.25 && fy >= 0.125 && fy < 0.25;
        const double red = inMark ? 5 : 255.0 * x / (width - 1);
        const double green = inMark ? 5 : 255.0 * yDown / (height - 1);
        EXPECT_NEAR(c.red * 255, red, 14) << label << " at " << fx << "," << fy;
        EXPECT_NEAR(c.green * 255, green, 14) << label << " at " << fx << "," << fy;
        EXPECT_NEAR(c.alpha, 1.0, 1e-6) << label;
    }
}

} // namespace ov::test
