// `inkstead demo DIR`: generated photos watermarked with every kind, upright, rerunnable.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using clitest::maxDifference;
using ov::test::TempDir;

namespace {

struct Window {
    const char* what;
    double x0, y0, x1, y1; // fractions, top-left origin
};

} // namespace

TEST(DemoCommand, WatermarksUprightPhotosWithEveryKindAndRerunsWithoutOverwriting) {
    TempDir dir;
    const fs::path demo = dir / "demo";
    // The demo must ignore the user's storage: point INKSTEAD_HOME somewhere it must not touch.
    const clitest::RunOptions options{.home = dir / "user-home"};
    const auto first = clitest::runInkstead({"demo", demo.string()}, options);
    ASSERT_EQ(first.exitCode, 0) << first.err;
    EXPECT_NE(first.out.find((demo / "out").string()), std::string::npos) << "says where to look";
    EXPECT_FALSE(fs::exists(dir / "user-home"));
    EXPECT_TRUE(fs::exists(demo / "home"));
    EXPECT_TRUE(clitest::decodeUpright(demo / "editor-preview.png")) << "the editor's view";

    const auto outputs = ov::test::listDirectory(demo / "out");
    ASSERT_EQ(outputs.size(), 3u);
    for (const auto& name : outputs) {
        SCOPED_TRACE(name);
        const std::string base = name.substr(0, name.find("-watermarked-"));
        const auto source = clitest::decodeUpright(demo / "photos" / (base + ".jpg"));
        const auto output = clitest::decodeUpright(demo / "out" / name);
        ASSERT_TRUE(source && output);
        ASSERT_EQ(output->width(), source->width());
        ASSERT_EQ(output->height(), source->height());
        if (base == "ridge-portrait") {
            EXPECT_LT(output->width(), output->height()) << "the sideways portrait is turned";
            EXPECT_FALSE(
                clitest::readProperties(demo / "out" / name).integer("Orientation").value_or(1) >
                1);
        }
        // Sky at the top, darker water at the bottom.
        const auto sky = clitest::colorAtFraction(*output, 0.5, 0.02);
        const auto water = clitest::colorAtFraction(*output, 0.55, 0.97);
        EXPECT_GT(sky.blue, sky.green);
        EXPECT_GT(sky.blue + sky.green + sky.red, water.blue + water.green + water.red);

        // Each kind changes its own part of the picture; a part without marks stays the photo.
        const double logoHeight = 0.12 * source->width() / source->height();
        const Window marked[] = {
            {"image", 0.03, 0.03, 0.15, 0.03 + logoHeight},
            {"text", 0.65, 0.90, 0.97, 0.97},
            {"pixellate", 0.05, 0.70, 0.29, 0.92},
            {"strikethrough", 0.18, 0.18, 0.22, 0.22},
        };
        for (const auto& w : marked)
            EXPECT_GT(maxDifference(*source, *output, w.x0, w.y0, w.x1, w.y1), 30) << w.what;
        if (source->width() > source->height()) {
            // Where the shape and the arrow land depends on the photo's shape; check them on
            // the landscapes, where the circle rings the sun.
            EXPECT_GT(maxDifference(*source, *output, 0.600, 0.24, 0.62, 0.30), 30) << "shape";
            EXPECT_GT(maxDifference(*source, *output, 0.45, 0.02, 0.56, 0.20), 30) << "arrow";
        }
        EXPECT_LT(maxDifference(*source, *output, 0.86, 0.70, 0.90, 0.74), 30) << "unmarked";
    }

    const auto second = clitest::runInkstead({"demo", demo.string(), "-q"}, options);
    ASSERT_EQ(second.exitCode, 0) << second.err;
    EXPECT_EQ(ov::test::listDirectory(demo / "out").size(), 6u) << "new names, nothing replaced";
    // The rerun replaced the demo preset; only the new preset's logo picture stays.
    EXPECT_EQ(ov::test::listDirectory(demo / "home" / "Inkstead" / "images").size(), 1u);
}
