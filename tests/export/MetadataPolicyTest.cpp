// Each metadata policy of a preset, tag by tag, on an exported camera photo.

#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/presets/OVPreset.h"
#include "support/CameraPhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace ov::test;

namespace {

// The camera photo with private facts and rights statements besides its location.
void writePrivatePhoto(const fs::path& path) {
    writeCameraPhoto(path);
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    auto& exif = image->exifData();
    exif["Exif.Photo.BodySerialNumber"] = "BODY-0042";
    exif["Exif.Photo.LensSerialNumber"] = "LENS-0043";
    exif["Exif.Photo.CameraOwnerName"] = "Owner Person";
    exif["Exif.Image.Artist"] = "Old Artist";
    exif["Exif.Image.Copyright"] = "Old notice";
    auto& iptc = image->iptcData();
    iptc["Iptc.Application2.Byline"] = "Old Artist";
    iptc["Iptc.Application2.Copyright"] = "Old notice";
    auto& xmp = image->xmpData();
    xmp["Xmp.aux.SerialNumber"] = "BODY-0042";
    xmp["Xmp.aux.OwnerName"] = "Owner Person";
    xmp["Xmp.dc.rights"] = "Old notice";
    image->writeMetadata();
}

struct Metadata {
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    Exiv2::XmpData xmp;

    [[nodiscard]] bool has(const std::string& key) const {
        if (key.starts_with("Exif."))
            return exif.findKey(Exiv2::ExifKey(key)) != exif.end();
        if (key.starts_with("Iptc."))
            return iptc.findKey(Exiv2::IptcKey(key)) != iptc.end();
        return xmp.findKey(Exiv2::XmpKey(key)) != xmp.end();
    }
    [[nodiscard]] std::string text(const std::string& key) const {
        if (key.starts_with("Exif."))
            return has(key) ? exif.findKey(Exiv2::ExifKey(key))->toString() : "";
        if (key.starts_with("Iptc."))
            return has(key) ? iptc.findKey(Exiv2::IptcKey(key))->toString() : "";
        return has(key) ? xmp.findKey(Exiv2::XmpKey(key))->toString() : "";
    }
};

Metadata readMetadata(const fs::path& path) {
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    return {image->exifData(), image->iptcData(), image->xmpData()};
}

// Exports `source` with `preset` to `output` and reads back what the output carries.
Metadata exported(const OVPresetPtr& preset, const fs::path& source, const fs::path& output) {
    EXPECT_EQ(OVPipelineRenderer::rendererWithPreset(preset)->saveImage(source, "", output), "");
    return readMetadata(output);
}

Metadata exportWith(const fs::path& folder, OVMetadataPolicy policy, const std::string& artist,
                    const std::string& copyright) {
    const fs::path source = folder / "camera.jpg";
    if (!fs::exists(source))
        writePrivatePhoto(source);
    auto preset = std::make_shared<OVPreset>("Policy");
    preset->setMetadataPolicy(policy);
    preset->setMetadataArtist(artist);
    preset->setMetadataCopyright(copyright);
    return exported(preset, source, folder / ("out" + std::to_string(policy) + artist + ".jpg"));
}

// Whether a tag survives each policy: keep all, strip location, strip private, copyright only.
struct Row {
    const char* key;
    bool kept[4];
};

constexpr Row kRows[] = {
    {"Exif.Image.Make", {true, true, true, false}},
    {"Exif.Photo.DateTimeOriginal", {true, true, true, false}},
    {"Exif.Photo.LensModel", {true, true, true, false}},
    {"Exif.GPSInfo.GPSLatitude", {true, false, false, false}},
    {"Exif.Photo.BodySerialNumber", {true, true, false, false}},
    {"Exif.Photo.LensSerialNumber", {true, true, false, false}},
    {"Exif.Photo.CameraOwnerName", {true, true, false, false}},
    {"Exif.Photo.MakerNote", {true, true, false, false}},
    {"Exif.Image.Artist", {true, true, true, true}},
    {"Exif.Image.Copyright", {true, true, true, true}},
    {"Iptc.Application2.Keywords", {true, true, true, false}},
    {"Iptc.Application2.City", {true, false, false, false}},
    {"Iptc.Application2.Byline", {true, true, true, true}},
    {"Iptc.Application2.Copyright", {true, true, true, true}},
    {"Xmp.dc.title", {true, true, true, false}},
    {"Xmp.exif.GPSLatitude", {true, false, false, false}},
    {"Xmp.photoshop.City", {true, false, false, false}},
    {"Xmp.aux.SerialNumber", {true, true, false, false}},
    {"Xmp.aux.OwnerName", {true, true, false, false}},
    {"Xmp.dc.rights", {true, true, true, true}},
};

class MetadataPolicyTest : public testing::TestWithParam<OVMetadataPolicy> {};

TEST_P(MetadataPolicyTest, KeepsExactlyWhatThePolicyAllows) {
    TempDir dir;
    const auto policy = GetParam();
    const Metadata written = exportWith(dir.path(), policy, "", "");
    for (const auto& row : kRows)
        EXPECT_EQ(written.has(row.key), row.kept[policy]) << row.key;
    // What stays is the source's own.
    EXPECT_EQ(written.text("Exif.Image.Artist"), "Old Artist");
    EXPECT_EQ(written.text("Xmp.dc.rights"), "lang=\"x-default\" Old notice");
}

TEST_P(MetadataPolicyTest, StatesThePresetsArtistAndCopyright) {
    TempDir dir;
    const Metadata written = exportWith(dir.path(), GetParam(), "Ada Lovelace", "© 2026 Ada");
    EXPECT_EQ(written.text("Exif.Image.Artist"), "Ada Lovelace");
    EXPECT_EQ(written.text("Exif.Image.Copyright"), "© 2026 Ada");
    EXPECT_EQ(written.text("Iptc.Application2.Byline"), "Ada Lovelace");
    EXPECT_EQ(written.text("Iptc.Application2.Copyright"), "© 2026 Ada");
    EXPECT_EQ(written.text("Xmp.dc.creator"), "Ada Lovelace"); // one name, not appended
    EXPECT_EQ(written.text("Xmp.dc.rights"), "lang=\"x-default\" © 2026 Ada");
}

INSTANTIATE_TEST_SUITE_P(Policies, MetadataPolicyTest,
                         testing::Values(OVMetadataPolicyKeepAll, OVMetadataPolicyStripLocation,
                                         OVMetadataPolicyStripPrivate,
                                         OVMetadataPolicyCopyrightOnly));

TEST(MetadataPolicy, ArtistGoesIntoAPhotoWithoutMetadata) {
    TempDir dir;
    writeOrientedPhoto(dir / "plain.png", 40, 30, 0);
    auto preset = std::make_shared<OVPreset>("Plain");
    preset->setMetadataArtist("Ada Lovelace");
    const Metadata written = exported(preset, dir / "plain.png", dir / "out.png");
    EXPECT_EQ(written.text("Exif.Image.Artist"), "Ada Lovelace");
    EXPECT_EQ(written.text("Xmp.dc.creator"), "Ada Lovelace");
    EXPECT_FALSE(written.has("Iptc.Application2.Byline")); // no IPTC is made up
}

TEST(MetadataPolicy, JpegXLOutputsCarryTheMetadataToo) {
    TempDir dir;
    writePrivatePhoto(dir / "camera.jpg");
    auto preset = std::make_shared<OVPreset>("JXL");
    preset->setOutputFormat(OVOutputFormatJPEGXL);
    preset->setMetadataPolicy(OVMetadataPolicyStripPrivate);
    preset->setMetadataArtist("Ada Lovelace");
    const Metadata written = exported(preset, dir / "camera.jpg", dir / "out.jxl");
    EXPECT_EQ(written.text("Exif.Image.Make"), "Inkstead Optics");
    EXPECT_EQ(written.text("Exif.Image.Artist"), "Ada Lovelace");
    EXPECT_FALSE(written.has("Exif.Photo.BodySerialNumber"));
    EXPECT_EQ(written.text("Xmp.dc.creator"), "Ada Lovelace");
    EXPECT_FALSE(written.has("Xmp.aux.SerialNumber"));
}

} // namespace
