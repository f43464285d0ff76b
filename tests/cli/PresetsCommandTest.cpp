// `inkstead presets list | show | create | rename | duplicate | delete` and --presets-file.

#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using clitest::Store;
using ov::test::TempDir;

using clitest::column;
using clitest::contains;

TEST(PresetsCommand, FirstRunListsTheDefaultPreset) {
    TempDir dir;
    const Store store(dir / "home");
    const auto presets = store.presets();
    ASSERT_EQ(presets.size(), 1u);
    EXPECT_EQ(presets[0]["name"], "Default");
    EXPECT_EQ(presets[0]["default"], true);
    EXPECT_EQ(presets[0]["watermarks"], 0);
    EXPECT_TRUE(fs::exists(store.presetsFile()));

    const auto table = store.ok({"presets", "list"});
    EXPECT_TRUE(contains(table.out, "NAME")) << table.out;
    EXPECT_TRUE(contains(table.out, "Default")) << table.out;
}

TEST(PresetsCommand, CreateRenameDuplicateDelete) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "create", "Web"});
    store.ok({"presets", "rename", "Web", "Site"});
    EXPECT_EQ(column(store.presets(), "name"), (std::vector<std::string>{"Default", "Site"}));

    clitest::writeLogo(dir / "logo.png", 40, 20, {1, 0, 0, 1});
    store.ok({"watermark", "add", "Site", "image", (dir / "logo.png").string()});
    store.ok({"watermark", "add", "Site", "text", "© Me"});
    store.ok({"presets", "duplicate", "Site"});
    store.ok({"presets", "duplicate", "Site", "--name", "Print"});
    const auto presets = store.presets();
    EXPECT_EQ(column(presets, "name"),
              (std::vector<std::string>{"Default", "Site", "Print", "Site copy"}))
        << "each copy goes right after its original";
    EXPECT_NE(presets[1]["uuid"], presets[2]["uuid"]);
    EXPECT_EQ(presets[3]["watermarks"], 2);
    ASSERT_EQ(store.pictures().size(), 3u) << "every copy of a logo has its own picture";

    // Found by UUID as well as by name; the copy's picture goes with it.
    store.ok({"presets", "delete", presets[3]["uuid"].get<std::string>()});
    EXPECT_EQ(column(store.presets(), "name"),
              (std::vector<std::string>{"Default", "Site", "Print"}));
    EXPECT_EQ(store.pictures().size(), 2u);
    const auto marks = store.marks("Site");
    ASSERT_EQ(marks.size(), 2u) << "the original keeps its watermarks";
    EXPECT_EQ(marks[0]["kind"], "image");
}

TEST(PresetsCommand, NameClashesAndUnknownPresetsAreUsageErrorsThatChangeNothing) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "create", "Web"});
    const std::string before = store.presetsBytes();

    store.expectUsageErrors({"presets"}, {{{"create", "Web"}, "already exists"},
                                          {{"rename", "Web", "Default"}, "already exists"},
                                          {{"create", ""}, "cannot be empty"},
                                          {{"duplicate", "Web", "--name", "Default"}, "exists"}});

    for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
             {"presets", "show", "Nope"},
             {"presets", "rename", "Nope", "X"},
             {"presets", "duplicate", "Nope"},
             {"presets", "delete", "Nope"},
             {"presets", "export", "Nope", (dir / "x.json").string()},
             {"watermark", "list", "Nope"},
             {"presets", "delete", "00000000-0000-0000-0000-000000000000"}}) {
        const auto result = store.run(args);
        EXPECT_EQ(result.exitCode, 2) << args[1];
        EXPECT_TRUE(contains(result.err, "inkstead: error: no preset named")) << result.err;
        EXPECT_TRUE(contains(result.err, "hint: available presets: \"Default\", \"Web\""))
            << result.err;
    }
    EXPECT_EQ(store.presetsBytes(), before);
    EXPECT_FALSE(fs::exists(dir / "x.json"));
}

TEST(PresetsCommand, ShowPrintsTheSettingsAndEveryWatermark) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"watermark", "add", "Default", "text", "Hello there", "--anchor", "top-left"});
    store.ok({"watermark", "add", "Default", "strikethrough", "--color", "#FF000080"});
    const auto shown = store.ok({"presets", "show", "Default"});
    EXPECT_TRUE(contains(shown.out, "original size")) << shown.out;
    EXPECT_TRUE(contains(shown.out, "top-left")) << shown.out;
    EXPECT_TRUE(contains(shown.out, "\"Hello there\"")) << shown.out;
    EXPECT_TRUE(contains(shown.out, "#FF000080")) << shown.out;
    EXPECT_FALSE(contains(shown.out, "tile-spacing")) << "settings at their defaults are left out";

    const auto json = nlohmann::json::parse(store.ok({"presets", "show", "Default", "--json"}).out);
    EXPECT_EQ(json["format"], "inkstead-preset");
    EXPECT_EQ(json["watermarks"].size(), 2u);
}

TEST(PresetsCommand, PresetsFileIsReadOnlyAndLeavesTheStorageAlone) {
    TempDir dir;
    const Store other(dir / "other");
    other.ok({"presets", "create", "Shared"});
    clitest::writeLogo(dir / "logo.png", 40, 20, {0, 0, 1, 1});
    other.ok({"watermark", "add", "Shared", "image", (dir / "logo.png").string()});

    const Store mine(dir / "mine");
    const std::string file = other.presetsFile().string();
    const auto listed = mine.ok({"presets", "list", "--json", "--presets-file", file});
    EXPECT_EQ(column(nlohmann::json::parse(listed.out), "name"),
              (std::vector<std::string>{"Default", "Shared"}));
    // Its pictures come along from the folder beside the file.
    const auto exported = nlohmann::json::parse(
        mine.ok({"presets", "export", "Shared", "-", "--presets-file", file}).out);
    EXPECT_TRUE(exported["watermarks"][0]["picture"].is_string());
    EXPECT_FALSE(fs::exists(dir / "mine")) << "nothing is written to the user's storage";

    // Commands that change presets do not take the option.
    EXPECT_EQ(mine.run({"presets", "create", "X", "--presets-file", file}).exitCode, 2);

    std::ofstream(dir / "garbage.bin") << "not a presets file at all";
    const auto garbage =
        mine.run({"presets", "list", "--presets-file", (dir / "garbage.bin").string()});
    EXPECT_EQ(garbage.exitCode, 2);
    EXPECT_TRUE(contains(garbage.err, "is not a presets file")) << garbage.err;
    const auto missing =
        mine.run({"presets", "list", "--presets-file", (dir / "none.bin").string()});
    EXPECT_EQ(missing.exitCode, 2);
    EXPECT_TRUE(contains(missing.err, "hint:")) << missing.err;
    EXPECT_TRUE(fs::exists(other.presetsFile()));
}

TEST(PresetsCommand, UnreadableStorageFileIsKeptAsideAndReported) {
    TempDir dir;
    const Store store(dir / "home");
    fs::create_directories(store.presetsFile().parent_path());
    std::ofstream(store.presetsFile()) << "garbage";

    const auto first = store.run({"presets", "list"});
    EXPECT_EQ(first.exitCode, 2);
    EXPECT_TRUE(contains(first.err, "could not be read")) << first.err;
    EXPECT_TRUE(contains(first.err, "hint:")) << first.err;
    // The file kept aside is the preset manager's tests' concern; the next command starts over.
    EXPECT_EQ(column(store.presets(), "name"), (std::vector<std::string>{"Default"}));
}
