// `inkstead presets export` / `import`: a re-import gets identifiers of its own, damaged files
// change nothing, and export never replaces a file unasked.

#include "ExportTestPhotos.h"
#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using clitest::Store;
using nlohmann::json;
using ov::test::TempDir;

namespace {

// A preset with one watermark of every kind, none of them at its defaults.
void addEveryKind(const Store& store, const TempDir& dir) {
    clitest::writeLogo(dir / "logo.png", 90, 30, {0.2, 0.4, 1, 1});
    store.ok({"presets", "create", "Every kind"});
    const std::vector<std::vector<std::string>> marks{
        {"text", "© 2026 Me", "--font", "DejaVu Sans", "--color", "#11223380", "--rotation", "-12",
         "--shadow", "0.4", "--anchor", "top-right", "--margin", "4%", "--width", "30%"},
        {"image", (dir / "logo.png").string(), "--opacity", "0.7", "--anchor", "bottom-left"},
        {"shape", "--rect", "5%,10%,25%,20%", "--shape", "circle", "--color", "#00FF00", "--fill",
         "#0000FF40", "--stroke", "7", "--dash", "9"},
        {"arrow", "--from", "20%,80%", "--to", "45%,30%", "--color", "#FFD700", "--stroke", "14",
         "--shadow", "0.3"},
        {"strikethrough", "--color", "#FF000080", "--stroke", "5", "--dash", "25"},
        {"pixellate", "--rect", "60%,20%,20%,15%", "--intensity", "27"},
    };
    for (auto args : marks) {
        args.insert(args.begin(), {"watermark", "add", "Every kind"});
        store.ok(args);
    }
}

} // namespace

TEST(PresetsJson, ImportingAPresetThatExistsGivesItNewIdentifiersAndPictures) {
    TempDir dir;
    const Store store(dir / "home");
    addEveryKind(store, dir);
    store.ok({"presets", "export", "Every kind", (dir / "every.json").string()});
    const auto imported = store.ok({"presets", "import", (dir / "every.json").string()});
    EXPECT_NE(imported.out.find("new one"), std::string::npos) << imported.out;

    const auto presets = store.presets();
    ASSERT_EQ(presets.size(), 3u);
    EXPECT_EQ(presets[2]["name"], "Every kind 2") << "the name is taken, so it gets a free one";
    EXPECT_NE(presets[1]["uuid"], presets[2]["uuid"]);
    const auto original = store.exported(presets[1]["uuid"]);
    const auto copy = store.exported(presets[2]["uuid"]);
    for (std::size_t i = 0; i < 6; ++i)
        EXPECT_NE(original["watermarks"][i]["uuid"], copy["watermarks"][i]["uuid"]) << i;
    ASSERT_EQ(store.pictures().size(), 2u);

    // Each has its own picture: deleting the copy leaves the original's.
    store.ok({"presets", "delete", presets[2]["uuid"]});
    EXPECT_EQ(store.pictures().size(), 1u);
    EXPECT_TRUE(store.exported("Every kind")["watermarks"][1]["picture"].is_string());

    const auto renamed =
        store.ok({"presets", "import", (dir / "every.json").string(), "--name", "Mine"});
    EXPECT_EQ(store.presets()[2]["name"], "Mine");
}

// The codec's own table of damaged and hostile documents is in the library's tests; here, that
// the command turns a refusal into a usage error that names the field and changes nothing.
TEST(PresetsJson, DamagedFilesAreUsageErrorsThatChangeNothing) {
    TempDir dir;
    const Store store(dir / "home");
    addEveryKind(store, dir);
    json bad = store.exported("Every kind");
    bad["watermarks"][5]["intensity"] = -3; // after a valid picture
    ov::test::writeFile(dir / "bad.json", bad.dump());
    ov::test::writeFile(dir / "future.json", R"({"format": "inkstead-preset", "version": 2})");
    const std::string presetsBefore = store.presetsBytes();
    const auto picturesBefore = store.pictures();
    const auto result = store.run({"presets", "import", (dir / "bad.json").string()});
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find("watermarks[5].intensity"), std::string::npos) << result.err;
    EXPECT_EQ(store.run({"presets", "import", (dir / "future.json").string()}).exitCode, 2);
    EXPECT_EQ(store.run({"presets", "import", (dir / "missing.json").string()}).exitCode, 2);
    EXPECT_EQ(store.presetsBytes(), presetsBefore);
    EXPECT_EQ(store.pictures(), picturesBefore);
}

TEST(PresetsJson, ExportNeverReplacesAFileUnlessForced) {
    TempDir dir;
    const Store store(dir / "home");
    ov::test::writeFile(dir / "taken.json", "keep me");
    const auto refused = store.run({"presets", "export", "Default", (dir / "taken.json").string()});
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ov::test::readFile(dir / "taken.json"), "keep me");

    store.ok({"presets", "export", "Default", (dir / "taken.json").string(), "--force"});
    EXPECT_EQ(json::parse(ov::test::readFile(dir / "taken.json"))["name"], "Default");
    EXPECT_EQ(ov::test::listDirectory(dir.path()), (std::vector<std::string>{"home", "taken.json"}))
        << "no temporary file left behind";
    EXPECT_EQ(
        store.run({"presets", "export", "Default", (dir / "no" / "such.json").string()}).exitCode,
        2);
}

TEST(PresetsJson, StandardOutputAndInput) {
    TempDir dir;
    const Store store(dir / "home");
    json preset = json::parse(store.ok({"presets", "export", "Default", "-"}).out);
    preset["name"] = "Piped";
    ov::test::writeFile(dir / "in.json", preset.dump());
    // `import -` reads standard input; the runner connects it to /dev/null, so an empty
    // document is a usage error, and the file route imports.
    EXPECT_EQ(store.run({"presets", "import", "-"}).exitCode, 2);
    store.ok({"presets", "import", (dir / "in.json").string()});
    EXPECT_EQ(store.presets()[1]["name"], "Piped");
}
