#include "inkstead/appearance/OVStyleKit.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

struct ThemeColor {
    std::string name;
    std::function<const ov::Color&()> color;
    ov::Color expected;
};

void PrintTo(const ThemeColor& c, std::ostream* os) {
    *os << c.name;
}

class ThemeColors : public testing::TestWithParam<ThemeColor> {};

TEST_P(ThemeColors, HaveTheirValue) {
    const ov::Color& c = GetParam().color();
    const ov::Color& e = GetParam().expected;
    EXPECT_NEAR(c.red, e.red, 1e-12);
    EXPECT_NEAR(c.green, e.green, 1e-12);
    EXPECT_NEAR(c.blue, e.blue, 1e-12);
    EXPECT_NEAR(c.alpha, e.alpha, 1e-12);
}

// Derived colours: shadows blend each component toward 0, highlights toward 1.
INSTANTIATE_TEST_SUITE_P(
    Theme, ThemeColors,
    testing::Values(
        ThemeColor{"windowBackground", OVStyleKit::windowBackgroundColor, {0.267, 0.263, 0.271, 1}},
        ThemeColor{"windowBackgroundDark",
                   OVStyleKit::windowBackgroundColorDark,
                   {0.267 * 0.6, 0.263 * 0.6, 0.271 * 0.6, 1}},
        ThemeColor{
            "presetVCBackground", OVStyleKit::presetVCBackgroundColor, {0.224, 0.22, 0.224, 1}},
        ThemeColor{"presetVCBackgroundHighlight",
                   OVStyleKit::presetVCBackgroundHighlightColor,
                   {0.224 + 0.776 * 0.1, 0.22 + 0.78 * 0.1, 0.224 + 0.776 * 0.1, 1}},
        ThemeColor{"presetVCPrimaryText", OVStyleKit::presetVCPrimaryTextColor, {0.8, 0.8, 0.8, 1}},
        ThemeColor{"presetVCPrimaryTextDark",
                   OVStyleKit::presetVCPrimaryTextColorDark,
                   {0.56, 0.56, 0.56, 1}},
        ThemeColor{"editorViewBackground",
                   OVStyleKit::editorViewBackgroundColor,
                   {0.145, 0.145, 0.145, 1}},
        ThemeColor{
            "titlebarGradientColor", OVStyleKit::titlebarGradientColor, {0.322, 0.318, 0.322, 1}},
        ThemeColor{
            "titlebarGradientColor2", OVStyleKit::titlebarGradientColor2, {0.438, 0.437, 0.438, 1}},
        ThemeColor{
            "highlightControl", OVStyleKit::highlightControlColor, {0.192, 0.545, 0.918, 1}}),
    [](const auto& info) { return info.param.name; });

TEST(ThemeGradient, RunsFromTheLighterToTheDarkerTitlebarColour) {
    const ov::Gradient& g = OVStyleKit::titlebarGradient();
    ASSERT_EQ(g.colors.size(), 2u);
    EXPECT_EQ(g.colors[0], OVStyleKit::titlebarGradientColor2());
    EXPECT_EQ(g.colors[1], OVStyleKit::titlebarGradientColor());
    EXPECT_TRUE(g.locations.empty());
}

TEST(ThemeBlending, KeepsAlphaAndReachesTheEnds) {
    const ov::Color c{0.2, 0.4, 0.6, 0.5};
    EXPECT_EQ(OVStyleKit::shadowWithLevel(c, 1), (ov::Color{0, 0, 0, 0.5}));
    EXPECT_EQ(OVStyleKit::highlightWithLevel(c, 1), (ov::Color{1, 1, 1, 0.5}));
    EXPECT_EQ(OVStyleKit::shadowWithLevel(c, 0), c);
}

} // namespace
