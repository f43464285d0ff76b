// `inkstead export` end to end: names, dry run, report, exit codes, resize and metadata.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/imageio/Properties.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <fstream>

namespace fs = std::filesystem;
using ov::test::listDirectory;

namespace {

using Names = std::vector<std::string>;

class ExportCommand : public clitest::TwoPhotoTest {
protected:
    std::string out() const { return (dir / "out").string(); }
};

TEST_F(ExportCommand, KeepsSourceNamesAndNeverOverwrites) {
    const auto first = run({"export", in(""), "-o", out(), "-q"});
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"a.jpg", "b.jpg"}));
    EXPECT_TRUE(first.err.empty()) << "-q prints nothing on success: " << first.err;

    // The second run takes the next free names; the first outputs stay.
    const auto sizeBefore = fs::file_size(dir / "out" / "a.jpg");
    ASSERT_EQ(run({"export", in("a.jpg"), "-o", out(), "-q"}).exitCode, 0);
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"a.jpg", "a_Watermarked_1.jpg", "b.jpg"}));
    EXPECT_EQ(fs::file_size(dir / "out" / "a.jpg"), sizeBefore);
}

TEST_F(ExportCommand, PatternTokensDigitsAndLiteralText) {
    ASSERT_EQ(run({"export", in("a.jpg"), in("b.jpg"), "-o", out(), "--pattern",
                   "filename,-,increment", "--digits", "2", "-q"})
                  .exitCode,
              0);
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"a-01.jpg", "b-02.jpg"}));

    const fs::path web = dir / "web";
    ASSERT_EQ(
        run({"export", in(""), "-o", web.string(), "--pattern", "web_,increment", "-q"}).exitCode,
        0);
    EXPECT_EQ(listDirectory(web), (Names{"web_001.jpg", "web_002.jpg"}));

    // Tokens that would name a path, or empty ones, are refused before anything is written.
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--pattern", "../x,increment"}).exitCode, 2);
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--pattern", "filename,,increment"}).exitCode, 2);
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--digits", "3"}).exitCode, 2)
        << "--digits without --pattern is a usage error";
}

TEST_F(ExportCommand, DryRunPrintsThePlanAndWritesNothing) {
    fs::create_directories(dir / "out");
    clitest::writeTestPhoto(dir / "out" / "a.jpg"); // taken: the plan must avoid it
    const auto result = run({"export", in(""), "-o", out(), "--dry-run", "--text", "© Me"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find("a_Watermarked_1.jpg"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find((dir / "out" / "b.jpg").string()), std::string::npos);
    EXPECT_NE(result.out.find("Default"), std::string::npos) << "names the preset";
    EXPECT_NE(result.out.find("text"), std::string::npos) << "lists the ad-hoc mark";
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"a.jpg"}));

    const fs::path missing = dir / "not" / "yet";
    EXPECT_EQ(run({"export", in(""), "-o", missing.string(), "-n", "-q"}).exitCode, 0);
    EXPECT_FALSE(fs::exists(dir / "not")) << "a dry run creates no folder";
}

TEST_F(ExportCommand, JsonReportAndOneCorruptImageAmongGoodOnes) {
    // A JPEG header and then nothing: recognised as a JPEG, fails to decode.
    std::ofstream(dir / "in" / "c-broken.jpg", std::ios::binary) << "\xff\xd8\xff\xe0 truncated";
    std::ofstream(dir / "notes.txt") << "not a photo";

    const auto result =
        run({"export", in(""), (dir / "notes.txt").string(), "-o", out(), "--json", "-q"});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_NE(result.err.find("c-broken.jpg"), std::string::npos) << result.err;
    EXPECT_NE(result.err.find("notes.txt"), std::string::npos) << result.err;
    EXPECT_EQ(listDirectory(dir / "out"), (Names{"a.jpg", "b.jpg"})) << "no partial files";

    const auto report = nlohmann::json::parse(result.out);
    EXPECT_EQ(report["version"], 1);
    EXPECT_EQ(report["preset"]["name"], "Default");
    EXPECT_FALSE(report["preset"]["uuid"].get<std::string>().empty());
    EXPECT_EQ(report["outputFolder"], out());
    EXPECT_FALSE(report["cancelled"].get<bool>());
    EXPECT_GE(report["elapsedSeconds"].get<double>(), 0.0);
    EXPECT_EQ(report["totals"]["images"], 4);
    EXPECT_EQ(report["totals"]["written"], 2);
    EXPECT_EQ(report["totals"]["failed"], 2);
    std::map<std::string, nlohmann::json> byName;
    for (const auto& image : report["images"])
        byName[fs::path(image["source"].get<std::string>()).filename().string()] = image;
    ASSERT_EQ(byName.size(), 4u);
    EXPECT_EQ(byName["a.jpg"]["status"], "written");
    EXPECT_EQ(byName["a.jpg"]["output"], (dir / "out" / "a.jpg").string());
    EXPECT_TRUE(byName["a.jpg"]["error"].is_null());
    EXPECT_EQ(byName["c-broken.jpg"]["status"], "failed");
    EXPECT_TRUE(byName["c-broken.jpg"]["output"].is_null());
    EXPECT_FALSE(byName["c-broken.jpg"]["error"].get<std::string>().empty());
    EXPECT_EQ(byName["notes.txt"]["status"], "failed");
}

TEST_F(ExportCommand, UsageAndConfigurationErrorsExitTwoWithAHint) {
    const auto unknown = run({"export", in(""), "-o", out(), "--preset", "No Such Preset"});
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_NE(unknown.err.find("No Such Preset"), std::string::npos) << unknown.err;

    std::ofstream(dir / "file") << "x";
    const auto blocked = run({"export", in(""), "-o", (dir / "file" / "out").string()});
    EXPECT_EQ(blocked.exitCode, 2);
    EXPECT_NE(blocked.err.find("hint:"), std::string::npos) << blocked.err;

    fs::create_directories(dir / "empty");
    EXPECT_EQ(run({"export", (dir / "empty").string(), "-o", out()}).exitCode, 2);
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--resize", "diagonal:20"}).exitCode, 2);
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--quality", "0"}).exitCode, 2);
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--strip-location", "--keep-location"}).exitCode,
              2);
    EXPECT_FALSE(fs::exists(dir / "out")) << "no error run writes anything";
}

TEST_F(ExportCommand, ResizeOverridesACopyOfThePreset) {
    struct Case {
        const char* resize;
        int width, height; // of a.jpg (120 × 80) and b.jpg (80 × 120)
        int bWidth, bHeight;
    };
    const Case cases[] = {
        {"50%", 60, 40, 40, 60},        {"long:60px", 60, 40, 40, 60},   {"60px", 60, 40, 40, 60},
        {"width:30px", 30, 20, 30, 45}, {"height:40px", 60, 40, 27, 40}, {"none", 120, 80, 80, 120},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.resize);
        const fs::path folder = dir / (std::string("r-") + c.resize);
        ASSERT_EQ(
            run({"export", in(""), "-o", folder.string(), "--resize", c.resize, "-q"}).exitCode, 0);
        const auto a = clitest::decodeUpright(folder / "a.jpg");
        const auto b = clitest::decodeUpright(folder / "b.jpg");
        ASSERT_TRUE(a && b);
        EXPECT_EQ(a->width(), c.width);
        EXPECT_EQ(a->height(), c.height);
        EXPECT_NEAR(b->width(), c.bWidth, 1);
        EXPECT_NEAR(b->height(), c.bHeight, 1);
    }
    // The stored preset kept its own setting.
    ASSERT_EQ(run({"export", in("a.jpg"), "-o", out(), "-q"}).exitCode, 0);
    EXPECT_EQ(clitest::decodeUpright(dir / "out" / "a.jpg")->width(), 120);
}

TEST_F(ExportCommand, OutputsAreUprightAndKeepMetadataUnlessLocationIsStripped) {
    clitest::writeTestPhoto(dir / "in" / "turned.jpg",
                            {.width = 120, .height = 80, .orientation = 6, .location = true});
    ASSERT_EQ(run({"export", in("turned.jpg"), "-o", out(), "-q"}).exitCode, 0);
    const fs::path kept = dir / "out" / "turned.jpg";
    const auto image = clitest::decodeUpright(kept);
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 120);
    EXPECT_EQ(image->height(), 80);
    const auto properties = clitest::readProperties(kept);
    EXPECT_LE(properties.integer(ov::kOVPropertyOrientation).value_or(1), 1);
    ASSERT_TRUE(properties.dictionary(ov::kOVPropertyTIFFDictionary));
    EXPECT_EQ(properties.dictionary(ov::kOVPropertyTIFFDictionary)->string("Make"), "Test Optics");
    EXPECT_TRUE(properties.dictionary(ov::kOVPropertyGPSDictionary)) << "location kept by default";

    const fs::path stripped = dir / "stripped";
    ASSERT_EQ(run({"export", in("turned.jpg"), "-o", stripped.string(), "--strip-location", "-q"})
                  .exitCode,
              0);
    const auto strippedProperties = clitest::readProperties(stripped / "turned.jpg");
    EXPECT_FALSE(strippedProperties.dictionary(ov::kOVPropertyGPSDictionary));
    ASSERT_TRUE(strippedProperties.dictionary(ov::kOVPropertyTIFFDictionary));
    EXPECT_EQ(strippedProperties.dictionary(ov::kOVPropertyTIFFDictionary)->string("Model"),
              "Body One");
}

TEST_F(ExportCommand, AdHocLogoIsStampedAndLeavesNoPictureInTheStorage) {
    clitest::writeTestPhoto(dir / "logo.png", {.width = 40, .height = 40});
    ASSERT_EQ(run({"export", in("a.jpg"), "-o", out(), "--logo", (dir / "logo.png").string(),
                   "--anchor", "top-left", "--margin", "0%", "--width", "50%", "-q"})
                  .exitCode,
              0);
    ASSERT_EQ(run({"export", in("a.jpg"), "-o", (dir / "plain").string(), "-q"}).exitCode, 0);
    const auto stamped = clitest::decodeUpright(dir / "out" / "a.jpg");
    const auto plain = clitest::decodeUpright(dir / "plain" / "a.jpg");
    ASSERT_TRUE(stamped && plain);
    // The logo's own blue quarter now covers part of the photo's red top-left quarter.
    EXPECT_GT(clitest::maxDifference(*stamped, *plain, 0.0, 0.0, 0.5, 0.5), 100);
    EXPECT_LT(clitest::maxDifference(*stamped, *plain, 0.6, 0.6, 1.0, 1.0), 30);

    // Each image renders its own copy of the preset, and copies of picture marks keep files of
    // their own; none of them may stay behind in the storage.
    const fs::path pictures = dir / "home" / "Inkstead" / "images";
    EXPECT_TRUE(!fs::exists(pictures) || fs::is_empty(pictures));
}

TEST_F(ExportCommand, OutputFolderInsideTheInputIsNotExportedAgain) {
    const std::string nested = (dir / "in" / "out").string();
    ASSERT_EQ(run({"export", in(""), "-o", nested, "-q"}).exitCode, 0);
    ASSERT_EQ(run({"export", in(""), "-o", nested, "-q"}).exitCode, 0);
    EXPECT_EQ(listDirectory(nested),
              (Names{"a.jpg", "a_Watermarked_1.jpg", "b.jpg", "b_Watermarked_1.jpg"}));
}

TEST_F(ExportCommand, QualityTradesSizeForFidelity) {
    clitest::writeTestPhoto(dir / "in" / "big.jpg", {.width = 600, .height = 400});
    ASSERT_EQ(run({"export", in("big.jpg"), "-o", (dir / "low").string(), "--quality", "10", "-q"})
                  .exitCode,
              0);
    ASSERT_EQ(
        run({"export", in("big.jpg"), "-o", (dir / "high").string(), "--quality", "100", "-q"})
            .exitCode,
        0);
    EXPECT_LT(fs::file_size(dir / "low" / "big.jpg"), fs::file_size(dir / "high" / "big.jpg"));
}

} // namespace

// Photos of the same name in different folders: the names are decided by input order before
// anything is written, so the dry run shows exactly what the real run writes, run after run;
// with --mirror each keeps its folder below the output folder.
TEST_F(ExportCommand, DryRunNamesAreTheRealNamesForDuplicateNames) {
    for (const char* folder : {"x", "y", "z"}) {
        fs::create_directories(dir / "in" / folder);
        clitest::writeTestPhoto(dir / "in" / folder / "a.jpg");
    }
    auto outputs = [](const std::string& json) {
        std::vector<std::string> names;
        const auto report = nlohmann::json::parse(json);
        for (const auto& image : report["images"])
            if (!image["output"].is_null())
                names.push_back(image["output"].get<std::string>());
        return names;
    };
    for (const bool mirror : {false, true}) {
        const std::string folder = out() + (mirror ? "-mirrored" : "");
        for (int round = 0; round < 5; ++round) {
            std::vector<std::string> args{"export", in(""), "-o", folder,
                                          "--json", "-q",   "-j", "4"};
            if (mirror)
                args.push_back("--mirror");
            args.push_back("-n");
            const auto planned = run(args);
            ASSERT_EQ(planned.exitCode, 0) << planned.err;
            args.pop_back();
            const auto written = run(args);
            ASSERT_EQ(written.exitCode, 0) << written.err;
            EXPECT_EQ(outputs(planned.out), outputs(written.out)) << "round " << round;
            EXPECT_EQ(outputs(written.out).size(), 5u);
        }
    }
    EXPECT_EQ(listDirectory(dir / "out-mirrored" / "y"),
              (Names{"a.jpg", "a_Watermarked_1.jpg", "a_Watermarked_2.jpg", "a_Watermarked_3.jpg",
                     "a_Watermarked_4.jpg"}));
}

TEST_F(ExportCommand, OutputFormatOfThePresetOrTheRunSetsTypeAndExtension) {
    struct Row {
        std::vector<std::string> options;
        std::string name; // of a.jpg's output
        std::string type;
    };
    const Row rows[] = {
        {{"--format", "png"}, "a.png", "public.png"},
        {{"--format", "webp", "--quality", "60"}, "a.webp", "org.webmproject.webp"},
        {{"--format", "avif"}, "a.avif", "public.avif"},
        {{"--format", "jxl"}, "a.jxl", "public.jxl"},
        {{"--format", "jpeg"}, "a.jpg", "public.jpeg"},
        {{"--format", "png", "--pattern", "web_,increment"}, "web_001.png", "public.png"},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const fs::path folder = dir / ("out" + std::to_string(i));
        std::vector<std::string> args{"export", in("a.jpg"), "-o", folder.string(), "-q"};
        args.insert(args.end(), rows[i].options.begin(), rows[i].options.end());
        const auto result = run(args);
        ASSERT_EQ(result.exitCode, 0) << rows[i].name << ": " << result.err;
        EXPECT_EQ(listDirectory(folder), (Names{rows[i].name}));
        EXPECT_EQ(ov::ImageSource::typeOfFile(folder / rows[i].name), rows[i].type);
    }

    // Stored in the preset, the format names the planned outputs too.
    ASSERT_EQ(run({"presets", "set", "Default", "--format", "png", "--quality", "80"}).exitCode, 0);
    const auto plan = run({"export", in(""), "-o", out(), "--dry-run"});
    EXPECT_NE(plan.out.find("a.png"), std::string::npos) << plan.out;
    EXPECT_NE(plan.out.find("b.png"), std::string::npos) << plan.out;
    EXPECT_EQ(run({"export", in(""), "-o", out(), "--format", "gif"}).exitCode, 2);
}
