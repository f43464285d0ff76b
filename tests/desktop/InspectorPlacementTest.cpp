// The inspector's placement rows: anchor, margin and width in each unit, on a text watermark
// laid out on a 3000 × 2000 image.

#include "Inspector.h"

#include "inkstead/watermarks/OVTextWatermark.h"

#include <QComboBox>
#include <QDoubleSpinBox>

#include <gtest/gtest.h>

namespace {

class InspectorPlacement : public testing::Test {
protected:
    void SetUp() override {
        mark->setBounds({0, 0, 3000, 2000});
        inspector.setEditHandler([this](const OVWatermarkProperty& p, const OVPropertyValue& v) {
            p.set(*mark, v);
            inspector.refresh();
        });
        inspector.setWatermark(mark);
    }
    QComboBox& choice(const char* key) {
        return *qobject_cast<QComboBox*>(inspector.editorFor(key));
    }
    QDoubleSpinBox& number(const char* key) {
        return *qobject_cast<QDoubleSpinBox*>(inspector.editorFor(key));
    }
    OVPlacement placement() const { return mark->placement().value_or(OVPlacement{}); }

    std::shared_ptr<OVTextWatermark> mark = OVTextWatermark::textWatermark();
    Inspector inspector;
};

TEST_F(InspectorPlacement, AnchorAndMarginKeepTheGapAcrossUnits) {
    for (const char* key : {"anchor", "marginUnit", "sizeRule"})
        ASSERT_TRUE(qobject_cast<QComboBox*>(inspector.editorFor(key))) << key;
    EXPECT_EQ(choice("anchor").count(), 9);
    choice("anchor").setCurrentIndex(static_cast<int>(OVPlacementAnchor::TopLeft));
    number("margin").setValue(5); // per cent of the shorter side: 100 pixels
    ASSERT_TRUE(mark->placement());
    EXPECT_EQ(placement().anchor, OVPlacementAnchor::TopLeft);
    EXPECT_NEAR(placement().marginIn({3000, 2000}), 100, 1e-6);
    EXPECT_NEAR(mark->inkRect().origin.x, 100, 2);

    choice("marginUnit").setCurrentIndex(1); // pixels: the same gap
    EXPECT_EQ(placement().marginUnit, OVPlacementMarginUnit::Pixels);
    EXPECT_NEAR(number("margin").value(), 100, 1e-6);
    number("margin").setValue(250);
    EXPECT_NEAR(mark->inkRect().origin.x, 250, 2);
}

TEST_F(InspectorPlacement, WidthFollowsEachRuleAndSurvivesAChangeOfRule) {
    struct Case {
        OVPlacementSizeRule rule;
        double value;
        double width; // content width on the 3000 × 2000 image
    };
    const Case cases[] = {
        {OVPlacementSizeRule::WidthFraction, 20, 600},
        {OVPlacementSizeRule::LongerSideFraction, 30, 900},
        {OVPlacementSizeRule::ShorterSideFraction, 30, 600},
        {OVPlacementSizeRule::Pixels, 450, 450},
    };
    for (const auto& c : cases) {
        choice("sizeRule").setCurrentIndex(static_cast<int>(c.rule));
        number("size").setValue(c.value);
        EXPECT_EQ(placement().sizeRule, c.rule);
        EXPECT_NEAR(placement().contentWidthIn({3000, 2000}).value_or(0), c.width, 1e-6);
    }
    // From 450 pixels to a share of the width: 15 %, the same width.
    choice("sizeRule").setCurrentIndex(static_cast<int>(OVPlacementSizeRule::WidthFraction));
    EXPECT_NEAR(number("size").value(), 15, 0.05);
    EXPECT_NEAR(placement().contentWidthIn({3000, 2000}).value_or(0), 450, 1e-6);
}

} // namespace
