#pragma once

// Photos for the export-side command tests, made and read back through the library itself.

#include "CliRunner.h"

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/imageio/Properties.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace clitest {

/// The upright picture has four coloured quadrants (top-left red, top-right green, bottom-left
/// blue, bottom-right yellow), so a wrong turn or mirror shows.
struct PhotoRecipe {
    int width = 120; ///< upright size
    int height = 80;
    int orientation = 1; ///< 1 upright, 6 stored turned a quarter left
    bool location = false;
};

/// Writes a JPEG (or PNG by the extension) with camera make and model, and GPS when asked.
void writeTestPhoto(const std::filesystem::path& path, const PhotoRecipe& recipe = {});

/// The file decoded upright at full size; null when it cannot be read.
[[nodiscard]] ov::ImagePtr decodeUpright(const std::filesystem::path& path);
/// The file's property dictionary (empty when unreadable).
[[nodiscard]] ov::Properties readProperties(const std::filesystem::path& path);
/// The file's type identifier ("public.jpeg"), judged by its contents.
[[nodiscard]] std::string typeOf(const std::filesystem::path& path);

/// Colour at a point given as fractions of the image with a top-left origin.
[[nodiscard]] ov::Color colorAtFraction(const ov::Image& image, double fx, double fy);
/// Largest difference of a colour component (0..255) between two images of one size inside a
/// window given as fractions (top-left origin).
[[nodiscard]] double maxDifference(const ov::Image& a, const ov::Image& b, double fx0, double fy0,
                                   double fx1, double fy1);

/// A test with two photos in `dir`/in (a.jpg 120x80, b.jpg 80x120) and a storage of its own.
class TwoPhotoTest : public ::testing::Test {
protected:
    void SetUp() override;
    /// `inkstead args...` with the test's storage, reading `input` (when given) as standard input.
    RunResult run(const std::vector<std::string>& args, std::filesystem::path input = {}) const;
    [[nodiscard]] std::filesystem::path in(const char* name = "") const {
        return dir / "in" / name;
    }

    ov::test::TempDir dir;
};

} // namespace clitest
