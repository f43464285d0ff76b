// The JSON form of a preset: every field of every kind survives a round trip, and damaged or
// hostile documents are refused with an error that names the field, writing nothing.

#include "inkstead/presets/OVPresetJson.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVImageWatermark.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVTextWatermark.h"
#include "support/ArchiveSamples.h"
#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// A preset with one watermark of every kind, none of them at its defaults.
OVPresetPtr everyKind() {
    auto text = OVTextWatermark::textWatermark();
    text->setStringValue("© 2026 Me");
    text->setFont(ov::Font("DejaVu Sans", 12));
    text->setFontColor(ov::Color{0x11 / 255.0, 0x22 / 255.0, 0x33 / 255.0, 0x80 / 255.0});
    text->setRotation(-12);
    text->setShadow(0.4);
    text->setPlacement(OVPlacement{OVPlacementAnchor::TopRight,
                                   OVPlacementMarginUnit::ShorterSideFraction, 0.04,
                                   OVPlacementSizeRule::WidthFraction, 0.3});
    auto image = OVImageWatermark::imageWatermark();
    EXPECT_TRUE(image->setImage(ov::test::solidCanvas(90, 30, {0.2, 0.4, 1, 1})->makeImage()));
    image->setAlpha(0.7);
    image->setPlacement(OVPlacement{OVPlacementAnchor::Bottom, OVPlacementMarginUnit::Pixels, 9,
                                    OVPlacementSizeRule::LongerSideFraction, 0.2});
    auto shape = OVShapeWatermark::circleShapeWatermark();
    shape->setStrokeColor(ov::Color{0, 1, 0, 1});
    shape->setFillColor(ov::Color{0, 0, 1, 0.25});
    shape->setStrokeThickness(7);
    shape->setLineDash(9);
    shape->placeOverArea({0.05, 0.1, 0.25, 0.2});
    auto arrow = OVArrowWatermark::arrowWatermark();
    arrow->setBounds(kOVPlacementReferenceBounds);
    arrow->setBeginPoint({600, 400});
    arrow->setEndPoint({1350, 1400});
    arrow->setStrokeColor(ov::Color{1, 0.84, 0, 1});
    arrow->setStrokeThickness(14);
    arrow->setShadow(0.3);
    auto strike = OVStrikethroughWatermark::strikethroughWatermark();
    strike->setColor(ov::Color{1, 0, 0, 0.5});
    strike->setStrokeThickness(5);
    strike->setLineDash(25);
    auto pixellate = OVPixellateWatermark::pixellateWatermark();
    pixellate->placeOverArea({0.6, 0.2, 0.2, 0.15});
    pixellate->setIntensity(27);

    auto preset = std::make_shared<OVPreset>("Every kind");
    preset->setWatermarks({text, image, shape, arrow, strike, pixellate});
    return preset;
}

std::vector<std::uint8_t> rendered(const OVPreset& stored) {
    auto preset = stored.copy();
    auto context = ov::test::solidCanvas(300, 200, {0.8, 0.7, 0.6, 1});
    preset->setPixellateImageSource(context->makeImage());
    preset->setWatermarkBounds({0, 0, 300, 200});
    preset->renderInContext(*context);
    return context->makeImage()->bytes();
}

// A PNG that claims width × height pixels but holds almost no data (a decompression bomb).
std::string pngClaiming(std::uint32_t width, std::uint32_t height) {
    auto bigEndian = [](std::uint32_t v) {
        return std::string{char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
    };
    auto chunk = [&](const std::string& typeAndData) {
        std::uint32_t crc = 0xFFFFFFFF;
        for (const char c : typeAndData) {
            crc ^= static_cast<unsigned char>(c);
            for (int bit = 0; bit < 8; ++bit)
                crc = (crc >> 1) ^ (0xEDB88320 & (0 - (crc & 1)));
        }
        return bigEndian(std::uint32_t(typeAndData.size() - 4)) + typeAndData + bigEndian(~crc);
    };
    return "\x89PNG\r\n\x1a\n" +
           chunk("IHDR" + bigEndian(width) + bigEndian(height) + std::string{8, 6, 0, 0, 0}) +
           chunk("IDAT" + std::string("\x78\x9c\x63\x60\x00\x00\x00\x02\x00\x01", 10)) +
           chunk("IEND");
}

std::string base64(const std::string& bytes) {
    static const char* alphabet =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t i = 0; i < bytes.size(); i += 3) {
        std::uint32_t group = std::uint32_t(static_cast<unsigned char>(bytes[i])) << 16;
        if (i + 1 < bytes.size())
            group |= std::uint32_t(static_cast<unsigned char>(bytes[i + 1])) << 8;
        if (i + 2 < bytes.size())
            group |= static_cast<unsigned char>(bytes[i + 2]);
        const std::size_t left = bytes.size() - i;
        text += alphabet[(group >> 18) & 63];
        text += alphabet[(group >> 12) & 63];
        text += left > 1 ? alphabet[(group >> 6) & 63] : '=';
        text += left > 2 ? alphabet[group & 63] : '=';
    }
    return text;
}

std::vector<std::string> pictureFiles() {
    return ov::test::listDirectory(imageCacheDestinationURL());
}

class PresetJson : public testing::Test {
protected:
    void SetUp() override { OVSetStorageDirectory(home.path()); }
    void TearDown() override { OVSetStorageDirectory({}); }
    ov::test::TempDir home;
};

} // namespace

TEST_F(PresetJson, RoundTripKeepsEveryFieldOfAllSixKinds) {
    const auto preset = everyKind();
    const std::string text = OVPresetJsonString(*preset);
    auto read = OVPresetFromJson(text);
    ASSERT_TRUE(read) << read.error().message;
    const json document = json::parse(text);
    EXPECT_EQ(document["format"], "inkstead-preset");
    EXPECT_EQ(document["version"], 1);
    ASSERT_EQ(document["watermarks"].size(), 6u);
    EXPECT_TRUE(document["watermarks"][1]["picture"].is_string());

    // Reading writes nothing; storing writes the picture, and the form is the same.
    fs::remove(std::static_pointer_cast<OVImageWatermark>(preset->watermarks()[1])->imageURL());
    EXPECT_TRUE(pictureFiles().empty());
    ASSERT_TRUE(read->storePictures());
    EXPECT_EQ(pictureFiles().size(), 1u);
    EXPECT_EQ(OVPresetJsonString(*read->preset), text);

    // Two routes, one picture.
    EXPECT_EQ(rendered(*read->preset), rendered(*preset));
}

TEST_F(PresetJson, OutputSettingsRoundTripAndOlderDocumentsReadBackUnchanged) {
    auto preset = std::make_shared<OVPreset>("Web");
    const std::string older = OVPresetJsonString(*preset);
    for (const char* key : {"metadata", "artist", "copyright", "format", "quality"})
        EXPECT_FALSE(json::parse(older)["export"].contains(key)) << key;
    auto plain = OVPresetFromJson(older);
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->preset->outputFormat(), OVOutputFormatSource);
    EXPECT_EQ(OVPresetJsonString(*plain->preset), older);

    preset->setMetadataPolicy(OVMetadataPolicyStripPrivate);
    preset->setMetadataArtist("Ada Lovelace");
    preset->setMetadataCopyright("© 2026 Ada");
    preset->setOutputFormat(OVOutputFormatJPEGXL);
    preset->setOutputQuality(0.8);
    const std::string text = OVPresetJsonString(*preset);
    EXPECT_EQ(json::parse(text)["export"]["format"], "jxl");
    auto read = OVPresetFromJson(text);
    ASSERT_TRUE(read) << read.error().message;
    EXPECT_EQ(read->preset->metadataPolicy(), OVMetadataPolicyStripPrivate);
    EXPECT_EQ(read->preset->metadataArtist(), "Ada Lovelace");
    EXPECT_EQ(read->preset->metadataCopyright(), "© 2026 Ada");
    EXPECT_EQ(read->preset->outputFormat(), OVOutputFormatJPEGXL);
    EXPECT_EQ(read->preset->outputQuality(), 0.8);
    EXPECT_EQ(OVPresetJsonString(*read->preset), text);
}

TEST_F(PresetJson, DamagedOrHostileDocumentsAreRefusedAndWriteNothing) {
    const json good = json::parse(OVPresetJsonString(*everyKind()));
    const auto picturesBefore = pictureFiles();
    auto edited = [&](auto change) {
        json copy = good;
        change(copy);
        return copy.dump();
    };
    struct Row {
        const char* name;
        std::string text;
        const char* field; // named in the message
    };
    const std::vector<Row> rows{
        {"notJson", "{\"format\": \"inkstead-preset\", ", "JSON"},
        {"empty", "", "JSON"},
        {"array", "[1, 2, 3]", "object"},
        {"deeplyNested", std::string(100000, '[') + std::string(100000, ']'), ""},
        {"wrongFormat", edited([](json& j) { j["format"] = "something-else"; }), "format"},
        {"futureVersion", edited([](json& j) { j["version"] = 3; }), "version"},
        {"noName", edited([](json& j) { j.erase("name"); }), "name"},
        {"badUUID", edited([](json& j) { j["uuid"] = "not-a-uuid"; }), "uuid"},
        {"marksNotArray", edited([](json& j) { j["watermarks"] = "all of them"; }), "watermarks"},
        {"unknownKind", edited([](json& j) { j["watermarks"][2]["kind"] = "hologram"; }),
         "watermarks[2].kind"},
        {"alphaText", edited([](json& j) { j["watermarks"][0]["alpha"] = "half"; }),
         "watermarks[0].alpha"},
        {"alphaOutOfRange", edited([](json& j) { j["watermarks"][0]["alpha"] = 7; }),
         "watermarks[0].alpha: expected a number from 0 to 1"},
        {"hugeOrigin", edited([](json& j) { j["watermarks"][2]["origin"]["x"] = 1e300; }),
         "watermarks[2].origin.x"},
        {"originNotObject", edited([](json& j) { j["watermarks"][2]["origin"] = 5; }),
         "watermarks[2].origin"},
        {"badColor", edited([](json& j) { j["watermarks"][0]["color"] = "#12"; }),
         "watermarks[0].color"},
        {"misspeltField", edited([](json& j) { j["watermarks"][3]["strokeColour"] = "#000000"; }),
         "watermarks[3].strokeColour: unknown field"},
        {"badPlacement",
         edited([](json& j) { j["watermarks"][0]["placement"]["anchor"] = "nowhere"; }),
         "watermarks[0].placement.anchor"},
        {"notBase64", edited([](json& j) { j["watermarks"][1]["picture"] = "@@@@"; }),
         "watermarks[1].picture"},
        {"notAPicture", edited([](json& j) { j["watermarks"][1]["picture"] = "aGVsbG8="; }),
         "watermarks[1].picture"},
        {"pictureBomb",
         edited([](json& j) { j["watermarks"][1]["picture"] = base64(pngClaiming(60000, 60000)); }),
         "too large"},
        {"resizeText", edited([](json& j) { j["export"]["resize"] = "yes"; }), "export.resize"},
        {"unknownFormat", edited([](json& j) { j["export"]["format"] = "bmp"; }), "export.format"},
        {"qualityAboveOne", edited([](json& j) { j["export"]["quality"] = 85; }), "export.quality"},
        // The picture of the image watermark is valid; a later watermark is not.
        {"failureAfterAPicture", edited([](json& j) { j["watermarks"][5]["intensity"] = -3; }),
         "watermarks[5].intensity"},
        {"oversized", std::string(kOVPresetJsonMaxBytes + 1, ' '), "too large"},
    };
    for (const Row& row : rows) {
        const auto read = OVPresetFromJson(row.text);
        ASSERT_FALSE(read) << row.name;
        EXPECT_NE(read.error().message.find(row.field), std::string::npos)
            << row.name << ": " << read.error().message;
        EXPECT_EQ(pictureFiles(), picturesBefore) << row.name;
    }
}

// A watermark whose class is not the kind of its type code (a damaged or hostile presets file)
// is written with its base record only, and the document reads back.
TEST_F(PresetJson, MarkOfAnotherClassThanItsTypeCodeKeepsOnlyItsBaseRecord) {
    const auto& kinds = OVRegisterWatermarkKinds();
    for (const OVWatermarkKind* claimed : kinds) {
        for (const OVWatermarkKind* actual : kinds) {
            auto made =
                actual == claimed ? OVWatermark::watermarkWithType(claimed->type) : actual->make();
            made->setType(claimed->type);
            const auto mark = ov::test::archiveRoundTrip(made);
            ASSERT_TRUE(mark) << claimed->name << " as " << actual->name;
            EXPECT_FALSE(OVWatermarkKindOfInstance(*mark));
            OVPreset preset("Damaged");
            preset.setWatermarks({mark});
            const std::string text = OVPresetJsonString(preset);
            const json record = json::parse(text)["watermarks"][0];
            EXPECT_EQ(record["kind"], std::string(claimed->name));
            for (const auto& property : claimed->properties)
                EXPECT_FALSE(record.contains(std::string(property.key))) << property.key;
            EXPECT_TRUE(OVPresetFromJson(text)) << claimed->name << " as " << actual->name;
        }
    }
}
