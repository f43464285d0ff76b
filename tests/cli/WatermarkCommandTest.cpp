// `inkstead watermark add | list | remove | set` for each kind, and the errors of their options.

#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using clitest::Store;
using nlohmann::json;
using ov::test::TempDir;

using clitest::column;
using clitest::contains;

TEST(WatermarkCommand, AddListAndRemoveEachKind) {
    TempDir dir;
    const Store store(dir / "home");
    clitest::writeLogo(dir / "logo.png", 60, 30, {1, 0, 0, 1});
    store.addOneOfEachKind(dir / "logo.png");
    auto marks = store.marks("Default");
    EXPECT_EQ(column(marks, "kind"), (std::vector<std::string>{"text", "image", "shape", "arrow",
                                                               "strikethrough", "pixellate"}));
    EXPECT_EQ(marks[0]["index"], 1);
    EXPECT_EQ(marks[0]["text"], "Hello");
    // Defaults that make a mark useful on any photo: bottom-right, 3 % in, scaling with it.
    EXPECT_EQ(marks[0]["placement"]["anchor"], "bottom-right");
    EXPECT_DOUBLE_EQ(marks[0]["placement"]["margin"].get<double>(), 0.03);
    EXPECT_EQ(marks[0]["placement"]["sizeRule"], "width");
    EXPECT_DOUBLE_EQ(marks[0]["placement"]["size"].get<double>(), 0.25);
    EXPECT_EQ(marks[0]["dynamicFontSize"], true);
    EXPECT_EQ(store.pictures().size(), 1u);

    const auto table = store.ok({"watermark", "list", "Default"});
    EXPECT_TRUE(contains(table.out, "strikethrough")) << table.out;

    store.ok({"watermark", "remove", "Default", "2"});
    EXPECT_EQ(column(store.marks("Default"), "kind"),
              (std::vector<std::string>{"text", "shape", "arrow", "strikethrough", "pixellate"}));
    EXPECT_TRUE(store.pictures().empty()) << "the logo's picture goes with it";

    for (const std::string index : {"0", "6", "-1", "two", ""}) {
        const auto result = store.run({"watermark", "remove", "Default", index});
        EXPECT_EQ(result.exitCode, 2) << index;
    }
    EXPECT_EQ(store.marks("Default").size(), 5u);
}

TEST(WatermarkCommand, SetChangesPropertiesOfEachKind) {
    TempDir dir;
    const Store store(dir / "home");
    clitest::writeLogo(dir / "a.png", 60, 30, {1, 0, 0, 1});
    clitest::writeLogo(dir / "b.png", 80, 80, {0, 1, 0, 1});
    store.addOneOfEachKind(dir / "a.png");

    store.ok({"watermark", "set", "Default", "1", "text=Bye", "color=#FF0000", "width=40%",
              "anchor=top-left", "margin=5%", "opacity=0.5", "title=Signature"});
    store.ok(
        {"watermark", "set", "Default", "2", "image=" + (dir / "b.png").string(), "shadow=0.25"});
    store.ok({"watermark", "set", "Default", "3", "rect=10%,10%,50%,50%", "fill=#00000080",
              "shape=circle", "stroke=4", "dash=8"});
    store.ok({"watermark", "set", "Default", "4", "from=10%,10%", "to=90%,90%", "stroke=3"});
    store.ok({"watermark", "set", "Default", "5", "color=#0000FF", "dash=20"});
    store.ok({"watermark", "set", "Default", "6", "intensity=40", "rect=0%,0%,100%,100%"});

    const auto marks = store.marks("Default");
    EXPECT_EQ(marks[0]["text"], "Bye");
    EXPECT_EQ(marks[0]["title"], "Signature");
    EXPECT_EQ(marks[0]["color"], "#FF0000");
    EXPECT_EQ(marks[0]["relativeQuadrant"], "top-left");
    EXPECT_NEAR(marks[0]["relativeSize"]["width"].get<double>(), 0.4, 1e-6);
    EXPECT_NEAR(marks[0]["relativePosition"]["y"].get<double>(), 0.05, 1e-6);
    EXPECT_NEAR(marks[0]["alpha"].get<double>(), 0.5, 1e-6);
    EXPECT_EQ(marks[1]["maxSize"]["width"], 80) << "the new picture's size";
    EXPECT_NEAR(marks[1]["shadow"].get<double>(), 0.25, 1e-6);
    EXPECT_EQ(marks[2]["shape"], "circle");
    EXPECT_EQ(marks[2]["fillColor"], "#00000080");
    EXPECT_NEAR(marks[2]["relativeSize"]["width"].get<double>(), 0.5, 1e-6);
    EXPECT_NEAR(marks[3]["relativeBegin"]["width"].get<double>(), 0.1, 1e-6);
    EXPECT_NEAR(marks[3]["relativeBegin"]["height"].get<double>(), 0.9, 1e-6) << "y upward";
    EXPECT_EQ(marks[4]["color"], "#0000FF");
    EXPECT_EQ(marks[4]["lineDash"], 20);
    EXPECT_EQ(marks[5]["intensity"], 40);
    EXPECT_EQ(store.pictures().size(), 1u) << "the new picture replaced the old one";

    // A fixed point size stops the text from scaling.
    store.ok({"watermark", "set", "Default", "1", "size=48"});
    const auto text = store.marks("Default")[0];
    EXPECT_EQ(text["fontSize"], 48);
    EXPECT_EQ(text["dynamicFontSize"], false);
}

TEST(WatermarkCommand, BadKeysAndValuesNameTheProblemAndSaveNothing) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"watermark", "add", "Default", "text", "Hello"});
    store.ok({"watermark", "add", "Default", "arrow"});
    const std::string before = store.presetsBytes();

    const clitest::UsageCases cases{
        {{"1", "opacity=0.5", "sparkle=yes"}, "unknown key \"sparkle\""},
        {{"1", "fill=#FFFFFF"}, "does not apply to a text mark"},
        {{"2", "width=20%"}, "does not apply to an arrow mark"},
        {{"2", "rotation=10"}, "does not apply to an arrow mark"},
        {{"1", "opacity=2"}, "opacity"},
        {{"1", "width=0%"}, "width"},
        {{"1", "color=red-ish"}, "color"},
        {{"1", "anchor=upper"}, "anchor"},
        {{"2", "from=10%"}, "from"},
        {{"1", "novalue"}, "KEY=VALUE"},
        {{"3", "opacity=1"}, "no watermark 3"},
    };
    store.expectUsageErrors({"watermark", "set", "Default"}, cases);
    EXPECT_EQ(store.presetsBytes(), before);
}

TEST(WatermarkCommand, MalformedOptionsOfAddAreUsageErrors) {
    TempDir dir;
    const Store store(dir / "home");
    ASSERT_EQ(store.presets().size(), 1u);
    const std::string before = store.presetsBytes();
    std::ofstream(dir / "fake.png") << "not a picture";
    const clitest::UsageCases cases{
        {{"hologram"}, "unknown watermark kind"},
        {{"text"}, "needs its text"},
        {{"text", "Hi", "--margin", "abc"}, "--margin"},
        {{"text", "Hi", "--margin", "60%"}, "--margin"},
        {{"text", "Hi", "--width", "120%"}, "--width"},
        {{"text", "Hi", "--color", "#12345"}, "--color"},
        {{"text", "Hi", "--anchor", "nowhere"}, "--anchor"},
        {{"text", "Hi", "--opacity", "1.5"}, "--opacity"},
        {{"text", "Hi", "--size", "-1"}, "--size"},
        {{"image"}, "needs a picture"},
        {{"image", (dir / "none.png").string()}, "no picture file"},
        {{"image", (dir / "fake.png").string()}, "cannot read"},
        {{"shape", "--rect", "10%,10%,30%"}, "--rect"},
        {{"shape", "--rect", "80%,10%,30%,10%"}, "--rect"},
        {{"shape", "--shape", "star"}, "--shape"},
        {{"arrow", "--from", "50%,50%", "--to", "50%,50%"}, "two different points"},
        {{"arrow", "--to", "150%,50%"}, "--to"},
        {{"pixellate", "--intensity", "-4"}, "--intensity"},
        // Settings a kind does not draw with are refused rather than ignored.
        {{"pixellate", "--opacity", "0.5"}, "does not apply to a pixellate mark"},
        {{"shape", "--rotation", "10"}, "does not apply to a shape mark"},
        {{"strikethrough", "--shadow", "0.5"}, "does not apply to a strikethrough mark"},
    };
    store.expectUsageErrors({"watermark", "add", "Default"}, cases);
    EXPECT_EQ(store.presetsBytes(), before);
    EXPECT_TRUE(store.pictures().empty());
}
