#include "inkstead/watermarks/OVPixellateWatermark.h"

#include "KindsCanvas.h"

using namespace kinds_test;

namespace {

// A 400 × 300 photograph with a colour that changes at every pixel.
std::unique_ptr<ov::GraphicsContext> photo() {
    auto canvas = ov::GraphicsContext::createBitmap(400, 300);
    canvas->drawLinearGradient({{ov::Color{1, 0, 0, 1}, ov::Color{0, 0, 1, 1}}, {}}, {0, 0},
                               {400, 0});
    canvas->saveGState();
    canvas->setAlpha(0.5);
    canvas->drawLinearGradient({{ov::Color{0, 1, 0, 1}, ov::Color{0, 0, 0, 1}}, {}}, {0, 0},
                               {0, 300});
    canvas->restoreGState();
    return canvas;
}

std::shared_ptr<OVPixellateWatermark> region(ov::Point origin, ov::Size size) {
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setOrigin(origin);
    pixellate->setSize(size);
    pixellate->setBounds({0, 0, 400, 300});
    return pixellate;
}

} // namespace

TEST(PixellateWatermark, CopyTakesNotThePicture) {
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setImage(photo()->makeImage());
    auto copy = std::static_pointer_cast<OVPixellateWatermark>(pixellate->copy());
    EXPECT_EQ(copy->image(), nullptr);
    EXPECT_TRUE(copy->isEqualToWatermark(pixellate));
}

TEST(PixellateWatermark, RegionBecomesGridAlignedBlocksAndTheRestIsUntouched) {
    auto canvas = photo();
    auto before = canvas->makeImage();
    auto pixellate = region({95, 42}, {210, 150});
    pixellate->setAlpha(0.5); // has no effect: the mosaic is opaque
    pixellate->setImage(before);
    pixellate->renderInContext(*canvas);
    auto after = canvas->makeImage();

    auto inside = [](int x, int y) { return x >= 95 && x < 305 && y >= 42 && y < 192; };
    // Block corners lie on 150 + 20k, and a block's colour is its pixels' average, so it
    // differs from at least one of its source pixels.
    auto blockOrigin = [](int v) {
        return 150 + (v - 150 >= 0 ? (v - 150) / 20 : -((169 - v) / 20)) * 20;
    };
    int differing = 0;
    for (int y = 0; y < 300; ++y)
        for (int x = 0; x < 400; ++x) {
            if (!inside(x, y)) {
                ASSERT_EQ(after->colorAt(x, y), before->colorAt(x, y)) << x << "," << y;
                continue;
            }
            const int bx = std::max(blockOrigin(x), 95), by = std::max(blockOrigin(y), 42);
            ASSERT_EQ(after->colorAt(x, y), after->colorAt(bx, by)) << x << "," << y;
            differing += !(after->colorAt(x, y) == before->colorAt(x, y));
        }
    EXPECT_GT(differing, 210 * 150 / 2);
    EXPECT_TRUE(near(after->colorAt(100, 100), before->colorAt(100, 100), 0.1));
    EXPECT_EQ(after->colorAt(200, 100).alpha, 1.0);
}

TEST(PixellateWatermark, PreviewScaleShrinksTheBlocks) {
    // At half scale a 20-unit intensity gives blocks of 10 picture pixels.
    auto snapshot = photo()->makeImage();
    auto canvas = ov::GraphicsContext::createBitmap(200, 150);
    canvas->scaleCTM(0.5, 0.5);
    auto pixellate = region({0, 0}, {400, 300});
    pixellate->setImage(snapshot);
    pixellate->renderInContext(*canvas);
    auto image = canvas->makeImage();
    // Device pixels 75..79 hold picture pixels 150..159: one block; 80 starts the next.
    EXPECT_TRUE(near(image->colorAt(76, 76), image->colorAt(78, 78), 0.01));
    EXPECT_FALSE(near(image->colorAt(78, 78), image->colorAt(81, 81), 0.01));
}

TEST(PixellateWatermark, NonPositiveIntensityShowsThePictureUnchanged) {
    for (double intensity : {0.0, -5.0}) {
        auto canvas = photo();
        auto before = canvas->makeImage();
        auto pixellate = region({50, 50}, {200, 100});
        pixellate->setIntensity(intensity);
        pixellate->setImage(before);
        pixellate->renderInContext(*canvas);
        EXPECT_EQ(canvas->makeImage()->bytes(), before->bytes()) << intensity;
    }
}

TEST(PixellateWatermark, DrawsNothingWithoutAPicture) {
    auto pixellate = region({0, 0}, {100, 100});
    pixellate->setEditable(true); // not even the selection frame
    auto image = drawnOnWhite(*pixellate, 100, 100);
    for (int i = 0; i < 100; i += 9)
        EXPECT_TRUE(isWhite(image->colorAt(i, i)));
}
