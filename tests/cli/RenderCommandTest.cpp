// `inkstead render INPUT OUTPUT`: one image, its type from OUTPUT, no silent overwrite.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using clitest::runInkstead;
using ov::test::TempDir;

TEST(RenderCommand, OutputTypeFollowsTheExtensionElseTheSource) {
    TempDir dir;
    clitest::writeTestPhoto(dir / "photo.jpg", {.orientation = 6});
    const clitest::RunOptions options{.home = dir / "home"};

    ASSERT_EQ(runInkstead({"render", (dir / "photo.jpg").string(), (dir / "a.png").string(),
                           "--text", "© Me", "-q"},
                          options)
                  .exitCode,
              0);
    EXPECT_EQ(clitest::typeOf(dir / "a.png"), "public.png");
    const auto image = clitest::decodeUpright(dir / "a.png");
    ASSERT_TRUE(image);
    EXPECT_EQ(image->width(), 120) << "rendered upright";
    EXPECT_EQ(image->height(), 80);

    ASSERT_EQ(runInkstead({"render", (dir / "photo.jpg").string(), (dir / "plain").string(), "-q"},
                          options)
                  .exitCode,
              0);
    EXPECT_EQ(clitest::typeOf(dir / "plain"), "public.jpeg");

    const auto unknown =
        runInkstead({"render", (dir / "photo.jpg").string(), (dir / "a.xyz").string()}, options);
    EXPECT_EQ(unknown.exitCode, 2);
    EXPECT_FALSE(fs::exists(dir / "a.xyz"));
}

TEST(RenderCommand, RefusesToOverwriteUnlessForced) {
    TempDir dir;
    clitest::writeTestPhoto(dir / "photo.jpg");
    std::ofstream(dir / "taken.jpg") << "precious";
    const clitest::RunOptions options{.home = dir / "home"};

    const auto refused = runInkstead(
        {"render", (dir / "photo.jpg").string(), (dir / "taken.jpg").string()}, options);
    EXPECT_EQ(refused.exitCode, 2);
    EXPECT_NE(refused.err.find("--force"), std::string::npos) << refused.err;
    EXPECT_EQ(ov::test::readFile(dir / "taken.jpg"), "precious");

    ASSERT_EQ(runInkstead({"render", (dir / "photo.jpg").string(), (dir / "taken.jpg").string(),
                           "--force", "-q"},
                          options)
                  .exitCode,
              0);
    EXPECT_EQ(clitest::typeOf(dir / "taken.jpg"), "public.jpeg");
    EXPECT_EQ(ov::test::listDirectory(dir.path()),
              (std::vector<std::string>{"home", "photo.jpg", "taken.jpg"}))
        << "no temporary file left beside the output";
}

TEST(RenderCommand, MissingOrDamagedInput) {
    TempDir dir;
    std::ofstream(dir / "broken.jpg", std::ios::binary) << "\xff\xd8\xff\xe0 truncated";
    const clitest::RunOptions options{.home = dir / "home"};
    EXPECT_EQ(
        runInkstead({"render", (dir / "none.jpg").string(), (dir / "o.jpg").string()}, options)
            .exitCode,
        2);
    const auto damaged =
        runInkstead({"render", (dir / "broken.jpg").string(), (dir / "o.jpg").string()}, options);
    EXPECT_EQ(damaged.exitCode, 1);
    EXPECT_FALSE(damaged.err.empty());
    EXPECT_FALSE(fs::exists(dir / "o.jpg"));
}
