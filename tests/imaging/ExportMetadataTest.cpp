#include "imaging/OVImageMetadata.h"
#include "imaging/OVWatermarkedImage.h"

#include "platform/imageio/ImageDestination.h"

#include "support/CameraPhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using ov::ImageSource;
using ov::Properties;

const Properties& dict(const Properties& p, std::string_view key) {
    static const Properties empty;
    const auto* d = p.dictionary(key);
    return d ? *d : empty;
}

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
    // Its thumbnails preview the picture without the watermarks.
    EXPECT_EQ(xmp.find("Thumbnails"), std::string::npos);
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

// The whole road: render, then write with the edited dictionary. The file is upright, says
// so (no orientation), carries the camera data and no preview of the unwatermarked source.
TEST_P(ExportMetadataTest, ExportedFileCarriesEditedMetadata) {
    const bool strip = GetParam();
    ov::test::TempDir dir;
    ov::test::writeCameraPhoto(dir / "camera.jpg", 6);
    auto source = ImageSource::createWithURL(dir / "camera.jpg");
    auto image = CGImageCreateWatermarkedImageWithPreset(source, nullptr);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 120); // the stored 200 × 120 turned a quarter
    const auto p = propertiesForImageSource(source, strip);
    auto destination = ov::ImageDestination::createWithURL(dir / "out.jpg", source->type());
    destination->addImage(image, &*p);
    ASSERT_TRUE(destination->finalize());

    auto exported = Exiv2::ImageFactory::open((dir / "out.jpg").string());
    exported->readMetadata();
    auto& exif = exported->exifData();
    EXPECT_EQ(Exiv2::ExifThumbC(exif).copy().size_, 0);
    EXPECT_EQ(exif.findKey(Exiv2::ExifKey("Exif.Image.Orientation")), exif.end());
    EXPECT_EQ(exif["Exif.Image.Make"].toString(), "Inkstead Optics");
    EXPECT_EQ(exif["Exif.Photo.DateTimeOriginal"].toString(), "2024:05:01 10:20:30");
    EXPECT_EQ(exif["Exif.Photo.MakerNote"].size(), static_cast<long>(ov::test::kMakerNote.size()));
    EXPECT_EQ(exif["Exif.Image.XResolution"].toFloat(), 72.0f);
    bool anyGPS = false;
    for (const auto& datum : exif) {
        anyGPS = anyGPS || datum.groupName() == "GPSInfo";
    }
    for (const auto& datum : exported->xmpData()) {
        anyGPS = anyGPS || datum.tagName().rfind("GPS", 0) == 0;
    }
    EXPECT_EQ(anyGPS, !strip);
    EXPECT_FALSE(exported->iccProfile()->size_ == 0);

    auto reread = ImageSource::createWithURL(dir / "out.jpg");
    EXPECT_FALSE(reread->properties().contains(ov::kOVPropertyOrientation));
    auto again = reread->createThumbnail(200);
    ASSERT_TRUE(again);
    EXPECT_EQ(again->width(), 120);
    EXPECT_EQ(again->height(), 200);
}

INSTANTIATE_TEST_SUITE_P(StripLocation, ExportMetadataTest, testing::Bool());

TEST(ExportMetadataNullTest, NoSourceNoProperties) {
    EXPECT_FALSE(propertiesForImageSource(nullptr, true));
}

} // namespace
