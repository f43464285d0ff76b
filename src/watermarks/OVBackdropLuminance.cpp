#include "inkstead/watermarks/OVBackdropLuminance.h"

#include <algorithm>
#include <cmath>

std::optional<double> OVMeanLuminance(const ov::Image& picture, ov::Rect area) {
    if (!picture.isNativeLayout() || picture.width() <= 0 || picture.height() <= 0)
        return std::nullopt;
    const double width = picture.width(), height = picture.height();
    // Rows of the picture run from the top; the area is measured from the bottom.
    const auto column = [&](double f) { return std::clamp(f * width, 0.0, width); };
    const auto row = [&](double f) { return std::clamp((1 - f) * height, 0.0, height); };
    const int left = static_cast<int>(std::floor(column(area.minX())));
    const int right = static_cast<int>(std::ceil(column(area.maxX())));
    const int top = static_cast<int>(std::floor(row(area.maxY())));
    const int bottom = static_cast<int>(std::ceil(row(area.minY())));
    if (!std::isfinite(area.minX()) || right <= left || bottom <= top)
        return std::nullopt;
    double sum = 0;
    for (int y = top; y < bottom; ++y) {
        const std::uint8_t* p = picture.data() + y * picture.bytesPerRow() + left * 4;
        for (int x = left; x < right; ++x, p += 4) {
            // Premultiplied B, G, R, A: over white, each level gains the uncovered part.
            const double clear = 255.0 - p[3];
            sum += 0.2126 * (p[2] + clear) + 0.7152 * (p[1] + clear) + 0.0722 * (p[0] + clear);
        }
    }
    return sum / (255.0 * (right - left) * (bottom - top));
}

ov::Color OVContrastingColor(double luminance, double alpha) {
    // The middle grey by eye (sRGB level 0.5 is about 21 % linear light, which reads as mid).
    return luminance > 0.5 ? ov::Color::black(alpha) : ov::Color::white(alpha);
}
