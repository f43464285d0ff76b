#include "inkstead/watermarks/OVArrowWatermark.h"

#include <gtest/gtest.h>

namespace {

// Ends given from the top-left corner land at those fractions of any image, the edges too.
TEST(ArrowEnds, PlacedFromTheTopLeftOnAnyImage) {
    auto arrow = OVArrowWatermark::arrowWatermark();
    ASSERT_TRUE(arrow->setEndsFromTopLeft({0, 1}, {0.75, 0.25}));
    EXPECT_TRUE(arrow->hasRelativePosition()) << "an end on the edge still counts as placed";
    arrow->setBounds({0, 0, 400, 800});
    EXPECT_NEAR(arrow->beginPoint().x, 0, 1e-3);
    EXPECT_NEAR(arrow->beginPoint().y, 0, 1e-3);
    EXPECT_NEAR(arrow->endPoint().x, 300, 1e-6);
    EXPECT_NEAR(arrow->endPoint().y, 600, 1e-6); // y grows upward
    const auto [from, to] = arrow->endsFromTopLeft();
    EXPECT_NEAR(from.y, 1, 1e-6);
    EXPECT_NEAR(to.x, 0.75, 1e-9);

    const auto same = arrow->setEndsFromTopLeft({0.5, 0.5}, {0.5, 0.5});
    ASSERT_FALSE(same);
    EXPECT_EQ(same.error().code, std::errc::invalid_argument);
    EXPECT_NEAR(arrow->endsFromTopLeft().second.x, 0.75, 1e-9)
        << "a refused change changes nothing";
}

} // namespace
