#include "inkstead/watermarks/OVMosaic.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

// A bitmap whose every pixel has a distinct colour, so averages and copies can be checked.
struct Bitmap {
    int width, height;
    std::vector<uint8_t> bytes;

    Bitmap(int w, int h) : width(w), height(h), bytes(static_cast<std::size_t>(w) * h * 4) {}

    // y-up pixel coordinates, like the mosaic's.
    uint8_t* at(int x, int y) {
        return &bytes[(static_cast<std::size_t>(height - 1 - y) * width + x) * 4];
    }
    OVPixelBuffer buffer() const { return {bytes.data(), width, height, std::size_t(width) * 4}; }

    static Bitmap gradient(int w, int h) {
        Bitmap b(w, h);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x) {
                uint8_t* p = b.at(x, y);
                p[0] = uint8_t(x * 7 + y);
                p[1] = uint8_t(y * 5);
                p[2] = uint8_t(x ^ y);
                p[3] = 255;
            }
        return b;
    }
};

Bitmap pixellate(const Bitmap& src, double side, OVPixelRect region, double anchor = 150) {
    Bitmap out(region.width, region.height);
    EXPECT_TRUE(OVPixellateRegion(src.buffer(), side, anchor, anchor, region, out.bytes.data(),
                                  std::size_t(region.width) * 4));
    return out;
}

std::array<uint8_t, 4> px(Bitmap& b, int x, int y) {
    const uint8_t* p = b.at(x, y);
    return {p[0], p[1], p[2], p[3]};
}

} // namespace

TEST(Mosaic, BlockColourIsTheRoundedAverageOfItsPixels) {
    Bitmap src = Bitmap::gradient(300, 260);
    Bitmap out = pixellate(src, 20, {0, 0, 300, 260});
    for (auto [x0, y0, w, h] :
         {std::array{150, 150, 20, 20}, std::array{0, 0, 10, 10}, std::array{290, 250, 10, 10}}) {
        for (int ch = 0; ch < 4; ++ch) {
            uint64_t sum = 0;
            for (int y = y0; y < y0 + h; ++y)
                for (int x = x0; x < x0 + w; ++x)
                    sum += src.at(x, y)[ch];
            const uint64_t n = uint64_t(w) * h;
            EXPECT_EQ(out.at(x0, y0)[ch], (sum + n / 2) / n) << x0 << "," << y0 << " ch " << ch;
        }
    }
}

TEST(Mosaic, ARegionMatchesTheSameAreaOfTheWholeMosaic) {
    Bitmap src = Bitmap::gradient(300, 260);
    Bitmap whole = pixellate(src, 13.5, {0, 0, 300, 260});
    const OVPixelRect region{37, 91, 120, 45};
    Bitmap part = pixellate(src, 13.5, region);
    for (int y = 0; y < region.height; ++y)
        for (int x = 0; x < region.width; ++x)
            ASSERT_EQ(px(part, x, y), px(whole, region.x + x, region.y + y)) << x << "," << y;
}

TEST(Mosaic, RegionBeyondTheBitmapRepeatsTheEdgeBlocks) {
    Bitmap src = Bitmap::gradient(100, 80);
    Bitmap whole = pixellate(src, 20, {0, 0, 100, 80});
    Bitmap grown = pixellate(src, 20, {-22, -22, 144, 124});
    EXPECT_EQ(px(grown, 0, 0), px(whole, 0, 0));
    EXPECT_EQ(px(grown, 143, 123), px(whole, 99, 79));
    EXPECT_EQ(px(grown, 22 + 50, 123), px(whole, 50, 79));
    EXPECT_EQ(px(grown, 22 + 50, 22 + 40), px(whole, 50, 40));
}

TEST(Mosaic, SmallOrInvalidBlockSidesCopyTheSource) {
    Bitmap src = Bitmap::gradient(40, 30);
    for (double side : {1.0, 0.5, 0.0, -20.0, std::nan("")}) {
        Bitmap out = pixellate(src, side, {0, 0, 40, 30});
        EXPECT_EQ(out.bytes, src.bytes) << side;
    }
}

TEST(Mosaic, ABlockLargerThanTheBitmapAveragesEverything) {
    Bitmap src(4, 2);
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) {
            uint8_t* p = src.at(x, y);
            p[0] = p[1] = p[2] = p[3] = (x + y) % 2 ? 255 : 0;
        }
    Bitmap out = pixellate(src, 1e9, {0, 0, 4, 2});
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(px(out, x, y), (std::array<uint8_t, 4>{128, 128, 128, 128}));
}
