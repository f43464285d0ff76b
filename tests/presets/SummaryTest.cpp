#include "inkstead/presets/OVPreset.h"
#include "inkstead/presets/OVPresetSummary.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "inkstead/watermarks/OVWatermarkSummary.h"

#include <gtest/gtest.h>

namespace {

bool startsWith(const std::string& text, const std::string& head) {
    return text.rfind(head, 0) == 0;
}

TEST(Summary, SaysWhereEachKindSitsAndWhatIsNotAtRest) {
    auto text = OVTextWatermark::textWatermark();
    OVPlacement placement;
    placement.anchor = OVPlacementAnchor::TopLeft;
    placement.marginUnit = OVPlacementMarginUnit::Pixels;
    placement.margin = 24;
    placement.sizeRule = OVPlacementSizeRule::LongerSideFraction;
    placement.size = 0.2;
    text->setPlacement(placement);
    text->setRotation(-30);
    auto shape = OVShapeWatermark::shapeWatermark();
    shape->placeOverArea({0.1, 0.2, 0.3, 0.25});
    auto cross = OVStrikethroughWatermark::strikethroughWatermark();
    auto unknown = OVWatermark::watermarkWithType(static_cast<OVWatermarkType>(42));

    const struct {
        const OVWatermark& mark;
        const char* kind;
        const char* head;
    } cases[] = {
        {*text, "text", "top-left, margin 24 px, width 20% of the longer side, "},
        {*shape, "shape", "rect 10%,20%,30%,25%, "},
        {*cross, "strikethrough", "across the image, "},
        {*unknown, "unknown", "a watermark of an unknown kind"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(OVWatermarkKindName(c.mark), c.kind);
        EXPECT_TRUE(startsWith(OVWatermarkSummary(c.mark), c.head)) << OVWatermarkSummary(c.mark);
    }
    EXPECT_NE(OVWatermarkSummary(*text).find(", rotation -30"), std::string::npos);
    // Settings older marks lack show only where they were changed.
    EXPECT_EQ(OVWatermarkSummary(*text).find("plate"), std::string::npos);
    text->setPlateOpacity(0.25);
    EXPECT_NE(OVWatermarkSummary(*text).find(", plate-opacity 0.25"), std::string::npos);
    EXPECT_EQ(OVWatermarkSummary(*shape).find("rotation"), std::string::npos);
}

TEST(Summary, SaysHowAPresetExports) {
    OVPreset preset("Web");
    EXPECT_EQ(OVPresetExportSummary(preset), "original size");
    preset.setShouldResize(true);
    preset.setResizeConstraint(OVResizeConstraintWidth);
    preset.setResizeMethod(OVResizeMethodPixels);
    preset.setResizeValue(1600);
    preset.setMetadataPolicy(OVMetadataPolicyStripLocation);
    preset.setOutputFormat(OVOutputFormatPNG);
    EXPECT_EQ(OVPresetExportSummary(preset), "width 1600 px, no location, as png");
    preset.setResizeMethod(OVResizeMethodPercentage);
    preset.setResizeValue(0.5); // a fraction
    EXPECT_TRUE(startsWith(OVPresetExportSummary(preset), "width 50%,"));
}

} // namespace
