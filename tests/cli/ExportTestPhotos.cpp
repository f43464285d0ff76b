#include "ExportTestPhotos.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <stdexcept>

namespace clitest {

void writeTestPhoto(const std::filesystem::path& path, const PhotoRecipe& recipe) {
    const bool turned = recipe.orientation == 6;
    const int storedWidth = turned ? recipe.height : recipe.width;
    const int storedHeight = turned ? recipe.width : recipe.height;
    auto ctx = ov::GraphicsContext::createBitmap(storedWidth, storedHeight);
    if (turned) {
        ctx->translateCTM(storedWidth, 0);
        ctx->rotateCTM(std::numbers::pi / 2);
    }
    const double w = recipe.width, h = recipe.height;
    // y-up: the top half is y >= h / 2.
    ctx->setFillColor({1, 0, 0, 1});
    ctx->fillRect({0, h / 2, w / 2, h / 2});
    ctx->setFillColor({0, 1, 0, 1});
    ctx->fillRect({w / 2, h / 2, w / 2, h / 2});
    ctx->setFillColor({0, 0, 1, 1});
    ctx->fillRect({0, 0, w / 2, h / 2});
    ctx->setFillColor({1, 1, 0, 1});
    ctx->fillRect({w / 2, 0, w / 2, h / 2});

    ov::Properties properties;
    properties.set(ov::kOVPropertyOrientation, std::int64_t{recipe.orientation});
    auto& tiff = properties.mutableDictionary(ov::kOVPropertyTIFFDictionary);
    tiff.set("Make", std::string("Test Optics"));
    tiff.set("Model", std::string("Body One"));
    if (recipe.location) {
        auto& gps = properties.mutableDictionary(ov::kOVPropertyGPSDictionary);
        gps.set("GPSLatitudeRef", std::string("N"));
        gps.set("GPSLatitude", std::string("48/1 51/1 30/1"));
    }
    const std::string ext = path.extension().string();
    const auto destination =
        ov::ImageDestination::createWithURL(path, ext == ".png" ? "public.png" : "public.jpeg");
    destination->addImage(ctx->takeImage(), &properties);
    if (!destination->finalize())
        throw std::runtime_error("cannot write the test photo " + path.string());
}

ov::ImagePtr decodeUpright(const std::filesystem::path& path) {
    const auto source = ov::ImageSource::createWithURL(path);
    if (!source)
        return nullptr;
    const auto properties = source->properties();
    const double side = std::max(properties.number(ov::kOVPropertyPixelWidth).value_or(0),
                                 properties.number(ov::kOVPropertyPixelHeight).value_or(0));
    return source->createThumbnail(side);
}

ov::Properties readProperties(const std::filesystem::path& path) {
    const auto source = ov::ImageSource::createWithURL(path);
    return source ? source->properties() : ov::Properties();
}

std::string typeOf(const std::filesystem::path& path) {
    return ov::ImageSource::typeOfFile(path);
}

ov::Color colorAtFraction(const ov::Image& image, double fx, double fy) {
    const int x = std::clamp(static_cast<int>(fx * image.width()), 0, image.width() - 1);
    const int y = std::clamp(static_cast<int>(fy * image.height()), 0, image.height() - 1);
    return image.colorAt(x, image.height() - 1 - y);
}

double maxDifference(const ov::Image& a, const ov::Image& b, double fx0, double fy0, double fx1,
                     double fy1) {
    double largest = 0;
    const int x0 = static_cast<int>(fx0 * a.width()), x1 = static_cast<int>(fx1 * a.width());
    const int y0 = static_cast<int>(fy0 * a.height()), y1 = static_cast<int>(fy1 * a.height());
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            const int flipped = a.height() - 1 - y;
            const ov::Color p = a.colorAt(x, flipped), q = b.colorAt(x, flipped);
            largest =
                std::max({largest, std::abs(p.red - q.red) * 255, std::abs(p.green - q.green) * 255,
                          std::abs(p.blue - q.blue) * 255});
        }
    }
    return largest;
}

void TwoPhotoTest::SetUp() {
    std::filesystem::create_directories(dir / "in");
    writeTestPhoto(dir / "in" / "a.jpg");
    writeTestPhoto(dir / "in" / "b.jpg", {.width = 80, .height = 120});
}

RunResult TwoPhotoTest::run(const std::vector<std::string>& args,
                            std::filesystem::path input) const {
    return runInkstead(args, {.home = dir / "home", .input = std::move(input)});
}

} // namespace clitest
