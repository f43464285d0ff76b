#include "inkstead/appearance/OVStyleKit.h"

#include <gtest/gtest.h>

namespace {

TEST(ThemeGradient, RunsFromTheLighterToTheDarkerTitlebarColour) {
    const ov::Gradient& g = OVStyleKit::titlebarGradient();
    ASSERT_EQ(g.colors.size(), 2u);
    EXPECT_EQ(g.colors[0], OVStyleKit::titlebarGradientColor2());
    EXPECT_EQ(g.colors[1], OVStyleKit::titlebarGradientColor());
    EXPECT_TRUE(g.locations.empty());
}

// Shadows blend each component toward 0, highlights toward 1; alpha stays.
TEST(ThemeBlending, MovesEachComponentByTheLevelAndKeepsAlpha) {
    const ov::Color c{0.2, 0.4, 0.6, 0.5};
    EXPECT_EQ(OVStyleKit::shadowWithLevel(c, 1), (ov::Color{0, 0, 0, 0.5}));
    EXPECT_EQ(OVStyleKit::highlightWithLevel(c, 1), (ov::Color{1, 1, 1, 0.5}));
    EXPECT_EQ(OVStyleKit::shadowWithLevel(c, 0), c);
    const ov::Color shadow = OVStyleKit::shadowWithLevel(c, 0.25);
    const ov::Color highlight = OVStyleKit::highlightWithLevel(c, 0.25);
    for (const auto& [got, want] : {std::pair{shadow.red, 0.15},
                                    {shadow.blue, 0.45},
                                    {highlight.green, 0.55},
                                    {highlight.alpha, 0.5}})
        EXPECT_NEAR(got, want, 1e-12);
}

} // namespace
