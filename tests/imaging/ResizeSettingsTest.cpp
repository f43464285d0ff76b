#include "inkstead/presets/OVPreset.h"

#include <gtest/gtest.h>

namespace {

struct ResizeCase {
    const char* name;
    uint64_t method;
    uint64_t constraint;
    double value;
    ov::Size source;
    ov::Size expected;
};

class ResizeSettingsTest : public testing::TestWithParam<ResizeCase> {};

TEST_P(ResizeSettingsTest, ScalesKeepingAspect) {
    const auto& c = GetParam();
    OVPreset preset;
    preset.setShouldResize(true);
    preset.setResizeMethod(static_cast<OVResizeMethod>(c.method));
    preset.setResizeConstraint(static_cast<OVResizeConstraint>(c.constraint));
    preset.setResizeValue(c.value);
    const auto size = preset.scaleSizeWithPresetResizeSettings(c.source);
    EXPECT_DOUBLE_EQ(size.width, c.expected.width);
    EXPECT_DOUBLE_EQ(size.height, c.expected.height);
}

constexpr ov::Size kLandscape{4000, 3000};
constexpr ov::Size kPortrait{3000, 4000};

INSTANTIATE_TEST_SUITE_P(
    Cases, ResizeSettingsTest,
    testing::Values(ResizeCase{"pixelsWidth", 0, 0, 1000, kLandscape, {1000, 750}},
                    ResizeCase{"pixelsNeverEnlarge", 0, 0, 5000, kLandscape, kLandscape},
                    ResizeCase{"pixelsFloorFivePercent", 0, 0, 100, kLandscape, {200, 150}},
                    ResizeCase{"pixelsLongestPortrait", 0, 2, 1000, kPortrait, {750, 1000}},
                    ResizeCase{"pixelsLongestLandscape", 0, 2, 1000, kLandscape, {1000, 750}},
                    ResizeCase{"pixelsHeight", 0, 1, 600, kLandscape, {800, 600}},
                    ResizeCase{"pixelsHeightNeverEnlarge", 0, 1, 3001, kLandscape, kLandscape},
                    ResizeCase{"percentWidth", 1, 0, 50, kLandscape, {2000, 1500}},
                    ResizeCase{"percentHeight", 1, 1, 50, kLandscape, {2000, 1500}},
                    ResizeCase{"percentLongest", 1, 2, 50, kPortrait, {1500, 2000}},
                    ResizeCase{"fraction", 1, 0, 0.5, kLandscape, {2000, 1500}},
                    ResizeCase{"percentOneIsWhole", 1, 0, 1, kLandscape, kLandscape},
                    ResizeCase{"percentAboveHundred", 1, 1, 150, kLandscape, kLandscape},
                    ResizeCase{"percentTwoIsFloor", 1, 0, 2, kLandscape, {200, 150}},
                    ResizeCase{"percentZeroIsFloor", 1, 0, 0, kLandscape, {200, 150}},
                    ResizeCase{"unknownMethod", 7, 0, 50, kLandscape, kLandscape},
                    ResizeCase{"unknownConstraint", 0, 9, 50, kLandscape, kLandscape},
                    ResizeCase{"unknownConstraintPercent", 1, 3, 50, kLandscape, kLandscape}),
    [](const testing::TestParamInfo<ResizeCase>& info) { return std::string(info.param.name); });

TEST(ResizeSettingsOffTest, ReturnsSizeUnchanged) {
    OVPreset preset;
    preset.setResizeValue(10);
    preset.setResizeMethod(OVResizeMethodPercentage);
    for (const ov::Size size : {kLandscape, kPortrait, ov::Size{0, 0}, ov::Size{1, 7}}) {
        EXPECT_EQ(preset.scaleSizeWithPresetResizeSettings(size), size);
    }
}

} // namespace
