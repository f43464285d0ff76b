#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"
#include "support/ArchiveSamples.h"
#include "support/PropertyValues.h"

#include <gtest/gtest.h>

#include <typeinfo>

using ov::test::archiveRoundTrip;

// Every setting of the base record and of each kind, set to another value than the factory's:
// a copy and a decoded archive of the watermark hold it, and are of the kind's class.
TEST(KindsCoding, EveryPropertySurvivesCopyAndArchive) {
    int checked = 0;
    for (const OVWatermarkKind* kind : OVRegisterWatermarkKinds()) {
        std::vector<const OVWatermarkProperty*> properties;
        for (const auto& property : OVWatermarkBaseProperties())
            properties.push_back(&property);
        for (const auto& property : kind->properties)
            properties.push_back(&property);
        for (const OVWatermarkProperty* property : properties) {
            // A picture has no other value here; a text's frame follows its text.
            if (property->type == OVPropertyType::Picture ||
                (kind->type == OVWatermarkTypeText && property->key == "size"))
                continue;
            SCOPED_TRACE(std::string(kind->name) + "." + std::string(property->key));
            const auto mark = kind->make();
            const OVPropertyValue value = ov::test::otherValue(*property, property->get(*mark));
            property->set(*mark, value);
            ASSERT_EQ(property->get(*mark), value);
            const auto copy = mark->copy();
            EXPECT_EQ(typeid(*copy), typeid(*mark));
            EXPECT_EQ(property->get(*copy), value) << "copy";
            const auto decoded = archiveRoundTrip(mark);
            ASSERT_TRUE(decoded);
            EXPECT_EQ(typeid(*decoded), typeid(*mark));
            EXPECT_EQ(property->get(*decoded), value) << "archive";
            ++checked;
        }
    }
    EXPECT_GE(checked, 100);
}

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
