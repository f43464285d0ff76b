// Exports keep the photograph's colour space and depth: marks drawn in sRGB look the same on a
// wide-gamut photograph, and 16-bit sources stay 16-bit in their own type.

#include "inkstead/export/OVPipelineRenderer.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <lcms2.h>

#include <cmath>

namespace fs = std::filesystem;
using namespace ov::test;

namespace {

// An Adobe RGB (1998) compatible profile: its primaries, D65 white, gamma 563/256.
std::vector<uint8_t> adobeRGBProfile() {
    const cmsCIExyY white{0.3127, 0.3290, 1.0};
    const cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.21, 0.71, 1.0}, {0.15, 0.06, 1.0}};
    cmsToneCurve* gamma = cmsBuildGamma(nullptr, 563.0 / 256.0);
    cmsToneCurve* curves[3] = {gamma, gamma, gamma};
    cmsHPROFILE profile = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(gamma);
    cmsUInt32Number size = 0;
    cmsSaveProfileToMem(profile, nullptr, &size);
    std::vector<uint8_t> bytes(size);
    cmsSaveProfileToMem(profile, bytes.data(), &size);
    cmsCloseProfile(profile);
    return bytes;
}

// The Display P3 profile that libvips carries.
std::vector<uint8_t> displayP3Profile() {
    const auto image = vips::VImage::black(1, 1, vips::VImage::option()->set("bands", 3))
                           .icc_export(vips::VImage::option()->set("output_profile", "p3"));
    std::size_t length = 0;
    const auto* data = static_cast<const uint8_t*>(image.get_blob(VIPS_META_ICC_NAME, &length));
    return {data, data + length};
}

vips::VImage withProfile(vips::VImage image, const std::vector<uint8_t>& icc) {
    image = image.copy();
    vips_image_set_blob_copy(image.get_image(), VIPS_META_ICC_NAME, icc.data(), icc.size());
    return image;
}

// A preset with an opaque pure red square over the middle of the picture.
std::shared_ptr<OVPreset> redSquarePreset() {
    auto preset = std::make_shared<OVPreset>("Red");
    auto square = OVShapeWatermark::squareShapeWatermark();
    square->setFillColor(ov::Color{1, 0, 0, 1});
    square->setStrokeColor(ov::Color{1, 0, 0, 1});
    square->placeOverArea({0.4, 0.4, 0.2, 0.2});
    preset->addWatermark(square);
    return preset;
}

// CIE L*a*b* of the pixel at (x, y), read through the image's embedded profile (sRGB without).
std::array<double, 3> labAt(const vips::VImage& image, int x, int y) {
    const auto lab = image.extract_area(x, y, 1, 1)
                         .icc_import(vips::VImage::option()
                                         ->set("embedded", true)
                                         ->set("input_profile", "srgb")
                                         ->set("intent", VIPS_INTENT_RELATIVE))
                         .getpoint(0, 0);
    return {lab[0], lab[1], lab[2]};
}

double deltaE(const std::array<double, 3>& a, const std::array<double, 3>& b) {
    return std::hypot(a[0] - b[0], a[1] - b[1], a[2] - b[2]);
}

} // namespace

TEST(ColorManagedExport, AnSRGBMarkLooksTheSameOnAWideGamutPhoto) {
    const auto sRGBRed = labAt(vips::VImage::black(1, 1, vips::VImage::option()->set("bands", 3)) +
                                   std::vector<double>{255, 0, 0},
                               0, 0);
    const std::pair<const char*, std::vector<uint8_t>> profiles[] = {
        {"Adobe RGB", adobeRGBProfile()}, {"Display P3", displayP3Profile()}};
    for (const auto& [name, icc] : profiles) {
        SCOPED_TRACE(name);
        TempDir dir;
        const auto photo = withProfile(uprightPicture(200, 120), icc);
        photo.write_to_file((dir / "wide.png").c_str());
        ASSERT_EQ(OVPipelineRenderer::rendererWithPreset(redSquarePreset())
                      ->saveImage(dir / "wide.png", "", dir / "out.png"),
                  "");
        const auto out = vips::VImage::new_from_file((dir / "out.png").c_str());
        std::size_t length = 0;
        const auto* kept = static_cast<const uint8_t*>(out.get_blob(VIPS_META_ICC_NAME, &length));
        EXPECT_EQ(std::vector<uint8_t>(kept, kept + length), icc) << "the profile is kept";
        EXPECT_LT(deltaE(labAt(out, 100, 60), sRGBRed), 2.0);
        // The photograph itself is written as it was: its colours are not squeezed into sRGB.
        EXPECT_EQ(out.getpoint(10, 10), photo.getpoint(10, 10));
        EXPECT_EQ(out.getpoint(190, 110), photo.getpoint(190, 110));
    }
}

TEST(ColorManagedExport, SixteenBitSourcesStaySixteenBitInTheirOwnType) {
    const std::pair<const char*, int> sources[] = {
        {"deep.png", 1}, {"deep.tif", 1}, {"turned.tif", 6}};
    for (const auto& [name, orientation] : sources) {
        SCOPED_TRACE(name);
        TempDir dir;
        // Levels whose low bytes differ from their high bytes: 8 bits could not hold them.
        const auto deep =
            (uprightPicture(200, 120).cast(VIPS_FORMAT_USHORT) * 257 + 77)
                .cast(VIPS_FORMAT_USHORT)
                .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16));
        storedForOrientation(deep, orientation).write_to_file((dir / name).c_str());
        if (orientation != 1)
            writeOrientationTag(dir / name, orientation);
        const fs::path output = dir / (std::string("out") + fs::path(name).extension().string());
        std::vector<std::string> warnings;
        ASSERT_EQ(OVPipelineRenderer::rendererWithPreset(redSquarePreset())
                      ->saveImageWithWarnings(dir / name, "", output, warnings),
                  "");
        EXPECT_TRUE(warnings.empty()) << warnings.front();
        const auto out = vips::VImage::new_from_file(output.c_str());
        EXPECT_EQ(out.format(), VIPS_FORMAT_USHORT);
        ASSERT_EQ(out.width(), 200) << "upright";
        EXPECT_EQ(out.getpoint(100, 60), (std::vector<double>{65535, 0, 0})) << "the mark";
        for (const auto& [x, y] : {std::pair{10, 10}, {30, 20}, {190, 110}, {120, 30}})
            EXPECT_EQ(out.getpoint(x, y), deep.getpoint(x, y)) << x << "," << y;
    }
}
