#include "inkstead/watermarks/OVStrikethroughWatermark.h"

#include "KindsCanvas.h"

using namespace kinds_test;

TEST(StrikethroughWatermark, PathRunsTenUnitsOutsideTheImageAndFollowsItsOrigin) {
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setBounds({50, 20, 400, 300});
    const ov::Path path = strike->strikethroughPath();
    const auto& e = path.elements();
    ASSERT_EQ(e.size(), 5u);
    EXPECT_EQ(e[0].points[0], (ov::Point{40, 10}));
    EXPECT_EQ(e[1].points[0], (ov::Point{460, 330}));
    EXPECT_EQ(e[2].points[0], (ov::Point{40, 330}));
    EXPECT_EQ(e[3].points[0], (ov::Point{460, 10}));
    EXPECT_EQ(e[4].type, ov::Path::ElementType::closeSubpath);
}

TEST(StrikethroughWatermark, DiagonalsCrossAtTheCentreWhateverTheFrame) {
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setBounds({0, 0, 400, 300});
    auto image = drawnOnWhite(*strike, 400, 300);
    EXPECT_TRUE(isBlack(image->colorAt(200, 150)));
    EXPECT_TRUE(isBlack(image->colorAt(95, 70)));  // on the rising diagonal
    EXPECT_TRUE(isBlack(image->colorAt(95, 229))); // on the falling diagonal
    EXPECT_TRUE(isWhite(image->colorAt(200, 60)));
    EXPECT_TRUE(isWhite(image->colorAt(20, 150)));
    // The joining segments lie outside the image: the top and bottom rows stay white away
    // from the corners.
    EXPECT_TRUE(isWhite(image->colorAt(200, 0)));
    EXPECT_TRUE(isWhite(image->colorAt(200, 299)));

    // The watermark's own frame plays no part.
    strike->setOrigin({123, 45});
    strike->setSize({17, 300});
    EXPECT_EQ(drawnOnWhite(*strike, 400, 300)->bytes(), image->bytes());

    EXPECT_FALSE(strike->containsPoint({200, 150}, 1));
}

TEST(StrikethroughWatermark, DashesAlternateAlongTheDiagonal) {
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setLineDash(8);
    strike->setBounds({0, 0, 300, 300});
    auto image = drawnOnWhite(*strike, 300, 300);
    int dark = 0, light = 0;
    for (int i = 20; i < 280; ++i)
        (image->colorAt(i, i).red < 0.5 ? dark : light)++;
    // Half on, half off, give or take the antialiased dash ends.
    EXPECT_NEAR(dark, light, 40);
}

TEST(StrikethroughWatermark, DrawsNothingWithoutBoundsOrColour) {
    auto blank = whiteCanvas(50, 50)->makeImage();
    auto check = [&](const std::shared_ptr<OVStrikethroughWatermark>& strike) {
        return drawnOnWhite(*strike, 50, 50)->bytes() == blank->bytes();
    };
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    EXPECT_TRUE(check(strike)); // zero bounds
    strike->setBounds({0, 0, 50, 50});
    EXPECT_FALSE(check(strike));
    strike->setColor(std::nullopt);
    EXPECT_TRUE(check(strike));
}
