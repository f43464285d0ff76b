#include "inkstead/watermarks/OVArrowWatermark.h"
#include "support/ArchiveSamples.h"

#include <gtest/gtest.h>

using ov::test::archiveRoundTrip;

TEST(KindsCoding, ArrowKeepsPointsFractionsAndRebuildsDirection) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds({0, 0, 1000, 500});
    arrow->setBeginPoint({900, 50});
    arrow->setEndPoint({100, 450}); // runs left and up
    auto decoded = archiveRoundTrip(arrow);
    ASSERT_NE(decoded, nullptr);
    EXPECT_TRUE(decoded->isEqualToWatermark(arrow));
    EXPECT_EQ(decoded->beginPoint(), (ov::Point{900, 50}));
    EXPECT_EQ(decoded->endPoint(), (ov::Point{100, 450}));
    EXPECT_FALSE(decoded->pointsRight());
    EXPECT_TRUE(decoded->pointsDown());
    // Decoding happens with zero bounds, so the fractions read survive the point setters.
    EXPECT_EQ(decoded->relativeBeginning(), (ov::Size{0.9, 0.1}));
    EXPECT_EQ(decoded->relativeEnding(), (ov::Size{0.1, 0.9}));
    decoded->setBounds({0, 0, 2000, 1000});
    EXPECT_EQ(decoded->beginPoint(), (ov::Point{1800, 100}));
}
