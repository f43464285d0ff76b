#include "inkstead/geometry/OVNumberText.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {

TEST(NumberText, ReadsNumbersAndShares) {
    const struct {
        const char* text;
        std::optional<double> number;
        std::optional<double> fraction;
    } cases[] = {
        {"12", 12, 12},
        {" +3.5 ", 3.5, 3.5},
        {"-45", -45, -45},
        {"3%", std::nullopt, 0.03},
        {"12.5 %", std::nullopt, 0.125},
        {"%", std::nullopt, std::nullopt},
        {"", std::nullopt, std::nullopt},
        {"1e999", std::nullopt, std::nullopt},
        {"nan", std::nullopt, std::nullopt},
        {"3px", std::nullopt, std::nullopt},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OVNumberFromString(c.text), c.number) << c.text;
        EXPECT_EQ(OVFractionFromString(c.text), c.fraction) << c.text;
    }
}

TEST(NumberText, ReadsPointsAndRectanglesOnTheImage) {
    EXPECT_EQ(OVPointFractionFromString("60%, 0.4").value(), (ov::Point{0.6, 0.4}));
    EXPECT_EQ(OVRectFractionFromString("10%,10%,90%,30%").value(), (ov::Rect{0.1, 0.1, 0.9, 0.3}));
    const struct {
        const char* text;
        std::errc point, rect;
    } refused[] = {
        {"60%", std::errc::invalid_argument, std::errc::invalid_argument},
        {"a,b", std::errc::invalid_argument, std::errc::invalid_argument},
        {"120%,10%", std::errc::result_out_of_range, std::errc::invalid_argument},
        {"50%,50%,60%,10%", std::errc::invalid_argument, std::errc::result_out_of_range},
        {"0,0,0,10%", std::errc::invalid_argument, std::errc::result_out_of_range},
    };
    for (const auto& c : refused) {
        const auto point = OVPointFractionFromString(c.text);
        const auto rect = OVRectFractionFromString(c.text);
        ASSERT_FALSE(point && rect) << c.text;
        if (!point)
            EXPECT_EQ(point.error().code, std::make_error_code(c.point)) << c.text;
        if (!rect)
            EXPECT_EQ(rect.error().code, std::make_error_code(c.rect)) << c.text;
    }
}

TEST(NumberText, WritesShortNumbersAndPercentages) {
    EXPECT_EQ(OVNumberString(2), "2");
    EXPECT_EQ(OVNumberString(0.1 + 0.2), "0.3");
    EXPECT_EQ(OVPercentString(0.2), "20%");
    EXPECT_EQ(OVPercentString(0.125), "12.5%");
    EXPECT_EQ(OVPercentString(-0.00001), "0%");
    EXPECT_EQ(OVPercentString(1), "100%");
}

} // namespace
