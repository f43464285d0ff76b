#include "inkstead/imaging/OVSamplePhotos.h"

#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/Properties.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <system_error>

namespace fs = std::filesystem;

namespace {

struct Palette {
    ov::Color skyTop, skyHorizon, sun, water, deepWater;
    ov::Color ranges[3]; // far to near
    ov::Color shore;
};

const Palette kDawn{
    .skyTop = {0.18, 0.33, 0.62, 1},
    .skyHorizon = {0.98, 0.78, 0.62, 1},
    .sun = {1.0, 0.93, 0.70, 1},
    .water = {0.56, 0.62, 0.74, 1},
    .deepWater = {0.10, 0.20, 0.36, 1},
    .ranges = {{0.62, 0.62, 0.74, 1}, {0.42, 0.45, 0.60, 1}, {0.22, 0.30, 0.36, 1}},
    .shore = {0.09, 0.16, 0.12, 1},
};

const Palette kDusk{
    .skyTop = {0.16, 0.12, 0.36, 1},
    .skyHorizon = {0.99, 0.58, 0.32, 1},
    .sun = {1.0, 0.84, 0.45, 1},
    .water = {0.62, 0.44, 0.46, 1},
    .deepWater = {0.12, 0.10, 0.26, 1},
    .ranges = {{0.58, 0.42, 0.55, 1}, {0.38, 0.28, 0.44, 1}, {0.18, 0.15, 0.24, 1}},
    .shore = {0.07, 0.08, 0.10, 1},
};

// A scene of sky, sun, three mountain ranges, a lake with reflections and a wooded shore, drawn
// into the rectangle (0, 0, width, height) of the y-up space.
class Scene {
public:
    Scene(ov::GraphicsContext& ctx, double width, double height, const Palette& palette,
          ov::Point sun, unsigned seed)
        : ctx_(ctx), w_(width), h_(height), p_(palette), sunX_(sun.x), sunY_(sun.y), seed_(seed),
          horizon_(height * 0.42) {}

    void draw() {
        drawSky();
        drawSun();
        for (int layer = 0; layer < 3; ++layer)
            fillRange(layer);
        drawLake();
        drawShore();
    }

private:
    // Height of a mountain ridge above the horizon at x: a few sines, different per layer.
    double ridge(int layer, double x) const {
        const double t = x / w_ * 2 * std::numbers::pi;
        const double phase = seed_ * 1.7 + layer * 2.3;
        const double base[] = {0.17, 0.10, 0.035};
        const double amplitude[] = {0.09, 0.075, 0.05};
        const double shape = 0.55 * std::sin(1.3 * t + phase) +
                             0.3 * std::sin(3.1 * t + 2 * phase) +
                             0.15 * std::sin(7.7 * t + 3 * phase);
        return h_ * (base[layer] + amplitude[layer] * (0.5 + 0.5 * shape));
    }

    void rangePath(int layer) {
        const int steps = 96;
        ctx_.moveTo({0, horizon_});
        for (int i = 0; i <= steps; ++i) {
            const double x = w_ * i / steps;
            ctx_.addLineTo({x, horizon_ + ridge(layer, x)});
        }
        ctx_.addLineTo({w_, horizon_});
        ctx_.closePath();
    }

    void drawSky() {
        ctx_.setFillColor(p_.skyHorizon);
        ctx_.fillRect({0, 0, w_, h_});
        ctx_.drawLinearGradient({{p_.skyHorizon, p_.skyTop}, {}}, {0, horizon_}, {0, h_});
    }

    void drawSun() {
        const double r = std::min(w_, h_) * 0.055;
        const ov::Point c{sunX_, sunY_};
        // The glow: many faint discs, so their edges blend into a soft halo.
        for (int k = 16; k >= 1; --k) {
            const double rr = r * (1 + 0.2 * k);
            ctx_.setFillColor({p_.sun.red, p_.sun.green, p_.sun.blue, 0.03});
            ctx_.addEllipseInRect({c.x - rr, c.y - rr, 2 * rr, 2 * rr});
            ctx_.fillPath();
        }
        ctx_.setFillColor(p_.sun);
        ctx_.addEllipseInRect({c.x - r, c.y - r, 2 * r, 2 * r});
        ctx_.fillPath();
    }

    void fillRange(int layer) {
        ctx_.setFillColor(p_.ranges[layer]);
        rangePath(layer);
        ctx_.fillPath();
    }

    void drawLake() {
        ctx_.saveGState();
        ctx_.clipToRect({0, 0, w_, horizon_});
        ctx_.drawLinearGradient({{p_.deepWater, p_.water}, {}}, {0, 0}, {0, horizon_});
        // The ranges mirrored in the water, paler with distance from the shore line.
        ctx_.saveGState();
        ctx_.translateCTM(0, 2 * horizon_);
        ctx_.scaleCTM(1, -1);
        ctx_.setAlpha(0.45);
        for (int layer = 1; layer < 3; ++layer)
            fillRange(layer);
        ctx_.restoreGState();
        // The sun's glitter: short bright strokes, narrowing towards the shore.
        ctx_.setStrokeColor({p_.sun.red, p_.sun.green, p_.sun.blue, 0.55});
        ctx_.setLineWidth(std::max(2.0, h_ * 0.004));
        for (int i = 1; i < 14; ++i) {
            const double y = horizon_ - h_ * 0.012 * i;
            const double half = w_ * (0.05 - 0.0025 * i) * (i % 2 ? 1.0 : 0.6);
            ctx_.moveTo({sunX_ - half, y});
            ctx_.addLineTo({sunX_ + half, y});
        }
        ctx_.strokePath();
        ctx_.restoreGState();
    }

    void drawPine(double x, double ground, double height) {
        ctx_.setFillColor(p_.shore);
        ctx_.fillRect({x - height * 0.03, ground, height * 0.06, height * 0.2});
        for (int tier = 0; tier < 3; ++tier) {
            const double bottom = ground + height * (0.15 + 0.25 * tier);
            const double half = height * (0.28 - 0.07 * tier);
            ctx_.moveTo({x - half, bottom});
            ctx_.addLineTo({x + half, bottom});
            ctx_.addLineTo({x, bottom + height * 0.45});
            ctx_.closePath();
        }
        ctx_.fillPath();
    }

    void drawShore() {
        const double top = h_ * 0.09;
        ov::Path shore;
        shore.moveTo({0, 0});
        shore.addLineTo({0, top});
        shore.addCurveTo({w_ * 0.2, top * 1.25}, {w_ * 0.28, top * 0.6}, {w_ * 0.42, top * 0.25});
        shore.addLineTo({w_ * 0.42, 0});
        shore.closeSubpath();
        ctx_.setFillColor(p_.shore);
        ctx_.addPath(shore);
        ctx_.fillPath();
        const double scale = std::min(w_, h_);
        const double trees[][2] = {
            {0.04, 0.30}, {0.10, 0.22}, {0.15, 0.26}, {0.22, 0.17}, {0.29, 0.12}};
        for (const auto& [fx, fh] : trees)
            drawPine(w_ * fx, top * 0.7, scale * fh);
    }

    ov::GraphicsContext& ctx_;
    double w_, h_;
    const Palette& p_;
    double sunX_, sunY_;
    unsigned seed_;
    double horizon_;
};

struct PhotoRecipe {
    const char* name;
    int width, height; // upright
    int orientation;
    bool location;
    const Palette* palette;
    double sunX, sunY; // the sun's centre, as shares of the photo from the top-left corner
    unsigned seed;
    const char* model;
    const char* date;
};

constexpr PhotoRecipe kPhotos[] = {
    {"lake-at-dawn.jpg", 2400, 1600, 1, true, &kDawn, 0.68, 0.27, 1, "Lakeside 24",
     "2026:05:01 06:12:40"},
    {"ridge-portrait.jpg", 1600, 2400, 6, false, &kDawn, 0.68, 0.21, 2, "Lakeside 24",
     "2026:05:01 06:31:05"},
    {"valley-at-dusk.jpg", 2400, 1600, 1, false, &kDusk, 0.68, 0.27, 3, "Fieldbook 2",
     "2026:05:02 20:47:13"},
};

ov::Properties cameraProperties(const PhotoRecipe& recipe) {
    ov::Properties properties;
    properties.set(ov::kOVPropertyOrientation, std::int64_t{recipe.orientation});
    properties.set(ov::kOVPropertyDPIWidth, 300.0);
    properties.set(ov::kOVPropertyDPIHeight, 300.0);
    auto& tiff = properties.mutableDictionary(ov::kOVPropertyTIFFDictionary);
    tiff.set("Make", std::string("Inkstead Demo Cameras"));
    tiff.set("Model", std::string(recipe.model));
    tiff.set("DateTime", std::string(recipe.date));
    tiff.set("Artist", std::string("Inkstead demo"));
    auto& exif = properties.mutableDictionary(ov::kOVPropertyExifDictionary);
    exif.set("DateTimeOriginal", std::string(recipe.date));
    exif.set("DateTimeDigitized", std::string(recipe.date));
    exif.set("ExposureTime", std::string("1/250"));
    exif.set("FNumber", std::string("8/1"));
    exif.set("FocalLength", std::string("35/1"));
    exif.set("ISOSpeedRatings", std::int64_t{100});
    if (recipe.location) {
        // A lake shore in the Alps.
        auto& gps = properties.mutableDictionary(ov::kOVPropertyGPSDictionary);
        gps.set("GPSVersionID", std::string("2 3 0 0"));
        gps.set("GPSLatitudeRef", std::string("N"));
        gps.set("GPSLatitude", std::string("46/1 24/1 3000/100"));
        gps.set("GPSLongitudeRef", std::string("E"));
        gps.set("GPSLongitude", std::string("8/1 5/1 1200/100"));
        gps.set("GPSAltitudeRef", std::string("0"));
        gps.set("GPSAltitude", std::string("1862/1"));
    }
    return properties;
}

// Draws the photo as the camera stores it: upright, or turned a quarter to the left for
// orientation 6 (a viewer turns it right again).
ov::ImagePtr drawStored(const PhotoRecipe& recipe) {
    const bool turned = recipe.orientation == 6;
    const int storedWidth = turned ? recipe.height : recipe.width;
    const int storedHeight = turned ? recipe.width : recipe.height;
    auto ctx = ov::GraphicsContext::createBitmap(storedWidth, storedHeight);
    if (!ctx)
        return nullptr;
    if (turned) {
        // Upright (x, y) lands at (storedWidth - y, x): the upright top edge becomes the
        // stored left edge.
        ctx->translateCTM(storedWidth, 0);
        ctx->rotateCTM(std::numbers::pi / 2);
    }
    const ov::Point sun{recipe.width * recipe.sunX, recipe.height * (1 - recipe.sunY)};
    Scene(*ctx, recipe.width, recipe.height, *recipe.palette, sun, recipe.seed).draw();
    return ctx->takeImage();
}

ov::Result<void> writePhoto(const PhotoRecipe& recipe, const fs::path& path) {
    const ov::ImagePtr image = drawStored(recipe);
    const auto destination = ov::ImageDestination::createWithURL(path, "public.jpeg");
    if (!image || !destination)
        return ov::makeError(std::errc::io_error, "cannot draw the sample photo " + path.string());
    const ov::Properties properties = cameraProperties(recipe);
    destination->setLossyCompressionQuality(0.9);
    destination->addImage(image, &properties);
    if (auto written = destination->finalize();
        !written && written.error().code != std::errc::file_exists)
        return written.error();
    return {};
}

} // namespace

ov::Result<std::vector<OVSamplePhoto>> OVWriteSamplePhotos(const fs::path& folder) {
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (!fs::is_directory(folder, ec))
        return ov::Error{ec ? ec : std::make_error_code(std::errc::not_a_directory),
                         "cannot create " + folder.string()};
    std::vector<OVSamplePhoto> photos;
    for (const auto& recipe : kPhotos) {
        const fs::path path = folder / recipe.name;
        if (!fs::exists(path, ec))
            if (auto written = writePhoto(recipe, path); !written)
                return written.error();
        photos.push_back({path, recipe.width, recipe.height, recipe.orientation, recipe.location});
    }
    return photos;
}

ov::Result<void> OVWriteSampleLogo(const fs::path& path) {
    std::error_code ec;
    if (fs::exists(path, ec))
        return {};
    constexpr int kSize = 512;
    auto ctx = ov::GraphicsContext::createBitmap(kSize, kSize);
    if (!ctx)
        return ov::makeError(std::errc::not_enough_memory, "cannot draw the sample logo");
    // A white ring around an ink drop, on transparency.
    ctx->setFillColor({1, 1, 1, 0.92});
    ctx->addEllipseInRect({16, 16, kSize - 32, kSize - 32});
    ctx->addEllipseInRect({56, 56, kSize - 112, kSize - 112});
    ctx->eoFillPath();
    ctx->setFillColor({0.12, 0.34, 0.72, 0.95});
    const double cx = kSize / 2.0;
    ov::Path drop;
    drop.moveTo({cx, 400});
    drop.addCurveTo({cx + 40, 330}, {cx + 110, 250}, {cx + 110, 200});
    drop.addCurveTo({cx + 110, 130}, {cx + 55, 96}, {cx, 96});
    drop.addCurveTo({cx - 55, 96}, {cx - 110, 130}, {cx - 110, 200});
    drop.addCurveTo({cx - 110, 250}, {cx - 40, 330}, {cx, 400});
    drop.closeSubpath();
    ctx->addPath(drop);
    ctx->fillPath();
    ctx->setFillColor({1, 1, 1, 0.8});
    ctx->addEllipseInRect({cx - 70, 150, 44, 70});
    ctx->fillPath();
    // Written aside, then linked into place: a file that appeared meanwhile is never replaced.
    const fs::path temporary = path.parent_path() / ("." + path.filename().string() + ".part");
    const bool written = ctx->writePNG(temporary).ok();
    if (written)
        fs::create_hard_link(temporary, path, ec);
    std::error_code ignored;
    fs::remove(temporary, ignored);
    if (!written || (ec && ec != std::errc::file_exists))
        return ov::Error{ec ? ec : std::make_error_code(std::errc::io_error),
                         "cannot write the sample logo " + path.string()};
    return {};
}
