#include "inkstead/imaging/OVImageMetadata.h"

#include "support/CameraPhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using ov::ImageSource;
using ov::test::dict;

class ExportMetadataTest : public testing::TestWithParam<bool> {};

TEST_P(ExportMetadataTest, DescribesTheNewPixels) {
    const bool strip = GetParam();
    ov::test::TempDir dir;
    ov::test::writeCameraPhoto(dir / "camera.jpg", 6, /*withDPIHeight=*/false);
    auto source = ImageSource::createWithURL(dir / "camera.jpg");
    const auto original = source->properties();
    ASSERT_EQ(original.integer(ov::kOVPropertyOrientation), 6);
    const auto p = propertiesForImageSource(source, strip);
    ASSERT_TRUE(p);
    EXPECT_FALSE(propertiesForImageSource(nullptr, strip));

    for (auto key :
         {ov::kOVPropertyPixelWidth, ov::kOVPropertyPixelHeight, ov::kOVPropertyOrientation}) {
        EXPECT_FALSE(p->contains(key)) << key;
    }
    EXPECT_EQ(p->integer(ov::kOVPropertyDPIWidth), 72);
    EXPECT_FALSE(p->contains(ov::kOVPropertyDPIHeight)); // absent stays absent
    const auto& tiff = dict(*p, ov::kOVPropertyTIFFDictionary);
    for (auto key : {"Orientation", "XResolution", "YResolution"}) {
        EXPECT_FALSE(tiff.contains(key)) << key;
    }
    EXPECT_EQ(tiff.string("Make"), "Inkstead Optics");
    EXPECT_EQ(tiff.string("Model"), "Test Body II");
    EXPECT_EQ(dict(*p, ov::kOVPropertyExifDictionary),
              dict(original, ov::kOVPropertyExifDictionary));
    EXPECT_EQ(dict(*p, ov::kOVPropertyIPTCDictionary).entry("Application2.Keywords")->value,
              dict(original, ov::kOVPropertyIPTCDictionary).entry("Application2.Keywords")->value);
    EXPECT_EQ(p->bytes(ov::kOVPropertyICCProfile), original.bytes(ov::kOVPropertyICCProfile));
    const auto xmp = p->string(ov::kOVPropertyXMP).value_or("");
    EXPECT_EQ(xmp.find("tiff:Orientation"), std::string::npos);
    EXPECT_NE(xmp.find("Harbour at dawn"), std::string::npos);
    EXPECT_EQ(xmp.find("Thumbnails"), std::string::npos)
        << xmp; // a preview of the unmarked picture
    // Every place name, in XMP (IPTC Core and Extension, Photoshop) and IPTC, goes with the
    // coordinates.
    const auto& iptc = dict(*p, ov::kOVPropertyIPTCDictionary);
    for (const auto& name : ov::test::kPlaceNames) {
        bool inIPTC = false;
        for (const auto& key : iptc.keys())
            inIPTC = inIPTC || iptc.string(key) == name;
        EXPECT_EQ(xmp.find(name) != std::string::npos || inIPTC, !strip) << name;
    }
    if (strip) {
        EXPECT_FALSE(p->contains(ov::kOVPropertyGPSDictionary));
        EXPECT_EQ(xmp.find("GPS"), std::string::npos);
    } else {
        EXPECT_EQ(dict(*p, ov::kOVPropertyGPSDictionary),
                  dict(original, ov::kOVPropertyGPSDictionary));
        EXPECT_NE(xmp.find("exif:GPSLatitude"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(StripLocation, ExportMetadataTest, testing::Bool());

} // namespace
