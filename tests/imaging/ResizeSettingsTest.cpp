#include "inkstead/presets/OVPreset.h"

#include <gtest/gtest.h>

namespace {

constexpr ov::Size kLandscape{4000, 3000};
constexpr ov::Size kPortrait{3000, 4000};

// Methods: 0 pixels, 1 percent; constraints: 0 width, 1 height, 2 longest side.
TEST(ResizeSettingsTest, ScalesKeepingAspect) {
    struct Case {
        const char* name;
        uint64_t method, constraint;
        double value;
        ov::Size source, expected;
    };
    const Case cases[] = {
        {"pixelsWidth", 0, 0, 1000, kLandscape, {1000, 750}},
        {"pixelsNeverEnlarge", 0, 0, 5000, kLandscape, kLandscape},
        {"pixelsFloorFivePercent", 0, 0, 100, kLandscape, {200, 150}},
        {"pixelsLongestPortrait", 0, 2, 1000, kPortrait, {750, 1000}},
        {"pixelsLongestLandscape", 0, 2, 1000, kLandscape, {1000, 750}},
        {"pixelsHeight", 0, 1, 600, kLandscape, {800, 600}},
        {"pixelsHeightNeverEnlarge", 0, 1, 3001, kLandscape, kLandscape},
        {"percentWidth", 1, 0, 50, kLandscape, {2000, 1500}},
        {"percentHeight", 1, 1, 50, kLandscape, {2000, 1500}},
        {"percentLongest", 1, 2, 50, kPortrait, {1500, 2000}},
        {"fraction", 1, 0, 0.5, kLandscape, {2000, 1500}},
        {"percentOneIsWhole", 1, 0, 1, kLandscape, kLandscape},
        {"percentAboveHundred", 1, 1, 150, kLandscape, kLandscape},
        {"percentTwoIsFloor", 1, 0, 2, kLandscape, {200, 150}},
        {"percentZeroIsFloor", 1, 0, 0, kLandscape, {200, 150}},
        {"unknownMethod", 7, 0, 50, kLandscape, kLandscape},
        {"unknownConstraint", 0, 9, 50, kLandscape, kLandscape},
        {"unknownConstraintPercent", 1, 3, 50, kLandscape, kLandscape},
    };
    for (const Case& c : cases) {
        OVPreset preset;
        preset.setShouldResize(true);
        preset.setResizeMethod(static_cast<OVResizeMethod>(c.method));
        preset.setResizeConstraint(static_cast<OVResizeConstraint>(c.constraint));
        preset.setResizeValue(c.value);
        const auto size = preset.scaleSizeWithPresetResizeSettings(c.source);
        EXPECT_DOUBLE_EQ(size.width, c.expected.width) << c.name;
        EXPECT_DOUBLE_EQ(size.height, c.expected.height) << c.name;
    }
}

TEST(ResizeSettingsOffTest, ReturnsSizeUnchanged) {
    OVPreset preset;
    preset.setResizeValue(10);
    preset.setResizeMethod(OVResizeMethodPercentage);
    for (const ov::Size size : {kLandscape, kPortrait, ov::Size{0, 0}, ov::Size{1, 7}}) {
        EXPECT_EQ(preset.scaleSizeWithPresetResizeSettings(size), size);
    }
}

} // namespace
