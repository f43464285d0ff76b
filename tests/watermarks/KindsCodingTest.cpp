#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

using ov::test::archiveRoundTrip;

TEST(KindsCoding, ArrowKeepsPointsFractionsAndRebuildsDirection) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds({0, 0, 1000, 500});
    arrow->setBeginPoint({900, 50});
    arrow->setEndPoint({100, 450}); // runs left and up
    arrow->setStrokeThickness(7.3);
    arrow->setStrokeColor(ov::Color{0.2, 0.4, 0.6, 0.8});
    auto decoded = archiveRoundTrip(arrow);
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(decoded->isEqualToWatermark(arrow));
    EXPECT_EQ(decoded->beginPoint(), (ov::Point{900, 50}));
    EXPECT_EQ(decoded->endPoint(), (ov::Point{100, 450}));
    EXPECT_FALSE(decoded->pointsRight());
    EXPECT_TRUE(decoded->pointsDown());
    EXPECT_EQ(decoded->strokeThickness(), double(7.3f));
    EXPECT_EQ(decoded->strokeColor(), arrow->strokeColor());
    // Decoding happens with zero bounds, so the fractions read survive the point setters.
    EXPECT_EQ(decoded->relativeBeginning(), (ov::Size{0.9, 0.1}));
    EXPECT_EQ(decoded->relativeEnding(), (ov::Size{0.1, 0.9}));
    decoded->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(decoded->beginPoint(), (ov::Point{1800, 100}));
}

TEST(KindsCoding, StrikethroughAndPixellateKeepTheirSettings) {
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setColor(ov::Color{1, 0, 0, 0.5});
    strike->setLineDash(8);
    strike->setStrokeThickness(4.5);
    auto decodedStrike = archiveRoundTrip(strike);
    ASSERT_NE(decodedStrike, nullptr);
    EXPECT_EQ(decodedStrike->color(), strike->color());
    EXPECT_EQ(decodedStrike->lineDash(), 8.0);
    EXPECT_EQ(decodedStrike->strokeThickness(), 4.5);

    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->setIntensity(20.1);
    auto decodedPixellate = archiveRoundTrip(pixellate);
    ASSERT_NE(decodedPixellate, nullptr);
    EXPECT_EQ(decodedPixellate->intensity(), double(20.1f));
    EXPECT_TRUE(decodedPixellate->isVisible());
    EXPECT_EQ(decodedPixellate->image(), nullptr);
}
