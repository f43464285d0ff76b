#include "inkstead/platform/gfx/ShadowBlur_p.h"

#include <algorithm>
#include <cmath>
#include <vector>

namespace ov::detail {
namespace {

// Fixed-point scale of the intermediate values, so that rounding between passes stays invisible.
constexpr uint32_t kScale = 128;

void boxRow(const uint16_t* in, uint16_t* out, int count, std::ptrdiff_t step, int radius) {
    const uint32_t window = 2 * radius + 1;
    uint32_t sum = 0;
    for (int i = 0; i < std::min(radius, count); ++i)
        sum += in[i * step];
    for (int i = 0; i < count; ++i) {
        if (i + radius < count)
            sum += in[(i + radius) * step];
        out[i * step] = static_cast<uint16_t>((sum + window / 2) / window);
        if (i - radius >= 0)
            sum -= in[(i - radius) * step];
    }
}

// Vertical box blur with one running sum per column, walking rows in memory order.
void boxColumns(const std::vector<uint16_t>& in, std::vector<uint16_t>& out, int width, int height,
                int radius) {
    const uint32_t window = 2 * radius + 1;
    std::vector<uint32_t> sums(width, 0);
    for (int y = 0; y < std::min(radius, height); ++y)
        for (int x = 0; x < width; ++x)
            sums[x] += in[static_cast<std::size_t>(y) * width + x];
    for (int y = 0; y < height; ++y) {
        if (y + radius < height) {
            const uint16_t* row = &in[static_cast<std::size_t>(y + radius) * width];
            for (int x = 0; x < width; ++x)
                sums[x] += row[x];
        }
        uint16_t* outRow = &out[static_cast<std::size_t>(y) * width];
        for (int x = 0; x < width; ++x)
            outRow[x] = static_cast<uint16_t>((sums[x] + window / 2) / window);
        if (y - radius >= 0) {
            const uint16_t* row = &in[static_cast<std::size_t>(y - radius) * width];
            for (int x = 0; x < width; ++x)
                sums[x] -= row[x];
        }
    }
}

} // namespace

std::array<int, 3> boxBlurRadii(double sigma) {
    // Box widths whose three-fold convolution has the variance of the Gaussian.
    constexpr int n = 3;
    const double ideal = std::sqrt(12 * sigma * sigma / n + 1);
    int lower = static_cast<int>(std::floor(ideal));
    if (lower % 2 == 0)
        --lower;
    lower = std::max(lower, 1);
    const int upper = lower + 2;
    const double m =
        (12 * sigma * sigma - n * lower * lower - 4.0 * n * lower - 3.0 * n) / (-4.0 * lower - 4);
    const int lowerCount = std::clamp(static_cast<int>(std::lround(m)), 0, n);
    std::array<int, 3> radii{};
    for (int i = 0; i < n; ++i)
        radii[i] = ((i < lowerCount ? lower : upper) - 1) / 2;
    return radii;
}

void blurMask(uint8_t* mask, int width, int height, int stride, double sigma) {
    if (width <= 0 || height <= 0 || !(sigma > 0))
        return;
    const std::size_t count = static_cast<std::size_t>(width) * height;
    std::vector<uint16_t> a(count), b(count);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            a[static_cast<std::size_t>(y) * width + x] =
                static_cast<uint16_t>(mask[static_cast<std::size_t>(y) * stride + x] * kScale);

    for (int radius : boxBlurRadii(sigma)) {
        if (radius == 0)
            continue;
        for (int y = 0; y < height; ++y)
            boxRow(&a[static_cast<std::size_t>(y) * width], &b[static_cast<std::size_t>(y) * width],
                   width, 1, radius);
        boxColumns(b, a, width, height, radius);
    }

    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            mask[static_cast<std::size_t>(y) * stride + x] =
                static_cast<uint8_t>(std::min<uint32_t>(
                    255, (a[static_cast<std::size_t>(y) * width + x] + kScale / 2) / kScale));
}

} // namespace ov::detail
