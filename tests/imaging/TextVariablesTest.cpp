#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVTextVariables.h"
#include "inkstead/watermarks/OVTextWatermark.h"

#include "support/CapturePhoto.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

namespace fs = std::filesystem;

// The variables of a generated photo named "IMG 7.jpg" carrying `exif`, whose file was last
// written on 3 February 2021 (local time).
OVTextVariables variablesOf(const ov::test::TempDir& dir, const ov::test::ExifValues& exif) {
    const auto path = dir / "IMG 7.jpg";
    ov::test::writeCapturePhoto(path, exif);
    std::tm written{};
    written.tm_year = 121;
    written.tm_mon = 1;
    written.tm_mday = 3;
    written.tm_hour = 12;
    written.tm_isdst = -1;
    fs::last_write_time(path, std::chrono::file_clock::from_sys(
                                  std::chrono::system_clock::from_time_t(std::mktime(&written))));
    const auto source = ov::ImageSource::createWithURL(path);
    return OVTextVariables::forImage(source->properties(), path, {1200, 800}, 12);
}

TEST(TextVariables, FillFromTheExifOrFallBack) {
    ov::test::TempDir dir;
    const auto typical = variablesOf(dir, ov::test::typicalCaptureExif());
    const std::pair<const char*, const char*> cases[] = {
        {"{filename}|{name}", "IMG 7.jpg|IMG 7"},
        {"{date}", "2024-05-01"},
        {"{date:%d.%m.%y %H:%M}", "01.05.24 10:20"},
        {"{camera}, {lens}", "Maker Body II, 35mm f/2"},
        {"ISO {iso} {exposure}s {aperture} {focal}", "ISO 400 1/250s f/2.8 35mm"},
        {"{artist} {copyright}", "Ada Lens (c) Ada Lens"},
        {"{width}x{height} #{counter}", "1200x800 #12"},
        {"{ {iso {{iso} }", "{ {iso {400 }"}, // not variables
        {"{isoo} {date:}", "{isoo} "},        // an unknown one stays literal
    };
    for (const auto& [text, expected] : cases)
        EXPECT_EQ(typical.expand(text), expected);
    // Without EXIF: the file's date, and nothing for the missing facts.
    const auto bare = variablesOf(dir, {});
    EXPECT_EQ(bare.expand("{date:%Y/%m/%d}"), "2021/02/03");
    EXPECT_EQ(bare.expand("[{camera}][{iso}]"), "[][]");
}

TEST(TextVariables, CameraWithMakeInModelAndDigitisedDate) {
    ov::test::TempDir dir;
    const auto variables =
        variablesOf(dir, {{"Exif.Image.Make", "Maker"},
                          {"Exif.Image.Model", "Maker X1"},
                          {"Exif.Photo.DateTimeDigitized", "2019:12:31 23:59:00"},
                          {"Exif.Photo.ExposureTime", "2/1"}});
    EXPECT_EQ(variables.expand("{camera} {date} {exposure}"), "Maker X1 2019-12-31 2");
}

TEST(TextVariables, UnknownVariableIsReportedOnce) {
    ov::test::LogCapture log;
    const OVTextVariables variables;
    EXPECT_EQ(variables.expand("{nosuchvar} {nosuchvar}"), "{nosuchvar} {nosuchvar}");
    EXPECT_EQ(variables.expand("{nosuchvar}"), "{nosuchvar}");
    const auto lines = log.lines();
    EXPECT_EQ(std::count_if(lines.begin(), lines.end(),
                            [](const std::string& line) {
                                return line.find("{nosuchvar}") != std::string::npos;
                            }),
              1);
}

TEST(TextVariables, FilenameValuesLoseUnsafeCharacters) {
    OVTextVariables variables;
    variables.setValue("camera", "A/B:C*?\"<>|\\");
    variables.setValue("lens", "..");
    EXPECT_EQ(variables.expandForFilename("{camera}-{lens}/"), "A_B_C_______-_/");
}

// The export fills the text before the mark is placed, so a fixed-size text frame fits the
// filled text exactly as if it had been typed.
TEST(TextVariables, ExportMeasuresTheFilledText) {
    ov::test::TempDir dir;
    const auto path = dir / "photo.jpg";
    ov::test::writeCapturePhoto(path, ov::test::typicalCaptureExif(), 600, 400);
    const auto source = ov::ImageSource::createWithURL(path);
    auto filled = OVTextWatermark::textWatermark();
    filled->setStringValue("Shot on {camera}");
    auto typed = OVTextWatermark::textWatermark();
    typed->setStringValue("Shot on Maker Body II");
    auto preset = std::make_shared<OVPreset>();
    preset->setWatermarks({filled});
    ASSERT_TRUE(CGImageCreateWatermarkedImageWithPreset(source, preset));
    EXPECT_EQ(filled->displayedText(), "Shot on Maker Body II");
    EXPECT_EQ(filled->stringValue(), "Shot on {camera}");
    EXPECT_EQ(filled->size(), typed->size());
}

} // namespace
