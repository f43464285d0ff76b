#include "inkstead/imaging/OVWatermarkedPicture.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/imaging/OVImageTextVariables.h"
#include "inkstead/imaging/OVWatermarkedImage.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVPixellateWatermark.h"
#include "inkstead/watermarks/OVTiledRendering.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace {

// Clean pixels drawn around each box, so that what a mark reads beyond its own place (the blur
// of its shadow) is there; at least the reach of a 7-pixel shadow blur.
constexpr int kSurroundings = 32;
// How far beyond its frame a mark may draw (line caps, arrow heads, glyph overhangs, shadows),
// as a fraction of the frame's longer side, plus a fixed reach.
constexpr double kInkReachFactor = 0.1;
constexpr double kInkReach = 40;
// Largest box drawn in one go: a drawing surface holds at most 32767 pixels a side, and the
// rows of a box (and its surroundings) are held, decoded, from the moment it is drawn until the
// encoder has passed it, so boxes are cut into short bands: memory stays with a few hundred rows.
constexpr int kMaxBoxWidth = 8192;
constexpr int kMaxBoxHeight = 256;

// The box of whole pixels (rows from the top) that covers a y-up rectangle of the canvas.
ov::PixelBox pixelBoxFor(const ov::Rect& rect, double canvasHeight) {
    const double left = std::floor(rect.minX());
    const double top = std::floor(canvasHeight - rect.maxY());
    const double right = std::ceil(rect.maxX());
    const double bottom = std::ceil(canvasHeight - rect.minY());
    const auto clamp = [](double v) {
        constexpr double kLimit = std::numeric_limits<int>::max() / 4;
        return static_cast<int>(std::clamp(v, -kLimit, kLimit));
    };
    return {clamp(left), clamp(top), clamp(right) - clamp(left), clamp(bottom) - clamp(top)};
}

// A visible mark and the box of the picture it may draw into.
struct MarkInk {
    OVWatermarkPtr watermark;
    ov::PixelBox box;
};

// Where each visible mark may draw, in drawing order.
std::vector<MarkInk> markInks(const OVPreset& preset, const ov::PixelBox& canvas) {
    std::vector<MarkInk> inks;
    for (const auto& watermark : preset.watermarks()) {
        if (!watermark || !watermark->isVisible())
            continue;
        // A strike-through crosses the whole picture, whatever its frame says, and a tiled mark
        // covers it.
        const bool whole =
            watermark->type() == OVWatermarkTypeStrikethrough || OVWatermarkIsTiled(*watermark);
        const ov::Rect ink = whole
                                 ? watermark->bounds().standardized()
                                 : watermark->frame()
                                       .united(watermark->rotatedDrawRect())
                                       .united(watermark->drawRect())
                                       .standardized();
        if (!std::isfinite(ink.minX()) || !std::isfinite(ink.maxX()) ||
            !std::isfinite(ink.minY()) || !std::isfinite(ink.maxY()))
            continue;
        const double reach = kInkReach + watermark->drawingOutset() +
                             kInkReachFactor * std::max(ink.size.width, ink.size.height);
        const ov::PixelBox box =
            pixelBoxFor(ink.insetBy(-reach, -reach), canvas.height).intersection(canvas);
        if (!box.isEmpty())
            inks.push_back({watermark, box});
    }
    return inks;
}

// The marks' boxes cut into boxes a drawing surface can hold.
std::vector<ov::PixelBox> markBoxes(const std::vector<MarkInk>& inks) {
    std::vector<ov::PixelBox> boxes;
    for (const auto& [watermark, box] : inks)
        for (int y = box.y; y < box.bottom(); y += kMaxBoxHeight)
            for (int x = box.x; x < box.right(); x += kMaxBoxWidth)
                boxes.push_back({x, y, std::min(kMaxBoxWidth, box.right() - x),
                                 std::min(kMaxBoxHeight, box.bottom() - y)});
    return boxes;
}

// The widest mosaic block of the preset's pixellate marks, in pixels; nothing without them.
std::optional<int> widestBlock(const OVPreset& preset) {
    std::optional<int> widest;
    for (const auto& watermark : preset.watermarks())
        if (const auto* pixellate = dynamic_cast<const OVPixellateWatermark*>(watermark.get())) {
            const double side = std::isfinite(pixellate->intensity())
                                    ? std::clamp(pixellate->intensity(), 0.0, 1e6)
                                    : 0.0;
            widest = std::max(widest.value_or(0), static_cast<int>(std::ceil(side)));
        }
    return widest;
}

} // namespace

ov::Size OVWatermarkedPictureSize(const ov::Properties& properties, const OVPreset* preset) {
    ov::Size size{properties.number(ov::kOVPropertyPixelWidth).value_or(0),
                  properties.number(ov::kOVPropertyPixelHeight).value_or(0)};
    if (preset && preset->shouldResize())
        size = preset->scaleSizeWithPresetResizeSettings(size);
    // Orientations 5 to 8 turn the stored picture a quarter (5 and 7 mirrored as well).
    const auto orientation = properties.integer(ov::kOVPropertyOrientation).value_or(0);
    if (orientation >= 5 && orientation <= 8)
        size = {size.height, size.width};
    return size;
}

std::optional<ov::StreamedPicture>
OVWatermarkedPictureWithPreset(const ov::ImageSourcePtr& source,
                               const std::shared_ptr<OVPreset>& preset) {
    if (!source)
        return std::nullopt;
    const ov::Size size = OVWatermarkedPictureSize(source->properties(), preset.get());
    if (!(size.width >= 1) || !(size.height >= 1) || size.width > std::numeric_limits<int>::max() ||
        size.height > std::numeric_limits<int>::max())
        return std::nullopt;
    ov::StreamedPicture picture;
    picture.source = source;
    picture.width = static_cast<int>(size.width);
    picture.height = static_cast<int>(size.height);
    if (!preset)
        return picture;

    preset->setEnableExportMode();
    OVPresetFillTextVariables(*preset, source, size);
    OVPresetSetBackdropSampleFromSource(*preset, source);
    preset->setWatermarkBounds(CGRectFromCGSize({double(picture.width), double(picture.height)}));
    const ov::PixelBox canvas{0, 0, picture.width, picture.height};
    auto inks = markInks(*preset, canvas);
    picture.boxes = markBoxes(inks);
    // The strips of the picture draw the same marks: tiled ones are rasterised once.
    auto stamps = std::make_shared<OVStampCache>();
    const std::optional<int> block = widestBlock(*preset);
    const bool pixellates = block.has_value();
    // A mosaic block that meets a box is averaged over all its pixels, up to a block beyond it.
    picture.surroundings = std::max(kSurroundings, 2 * block.value_or(0) + 2);
    const int canvasHeight = picture.height;
    const int canvasWidth = picture.width;
    picture.painter = [preset, inks = std::move(inks), stamps, pixellates, canvasWidth,
                       canvasHeight](
                          uint8_t* pixels, std::size_t bytesPerRow, const ov::PixelBox& area) {
        auto context =
            ov::GraphicsContext::createWithData(pixels, area.width, area.height, bytesPerRow);
        if (!context)
            return false;
        // The canvas is y-up: the area's lower-left corner sits this far from the canvas's.
        const int bottom = canvasHeight - area.bottom();
        if (pixellates) {
            // Mosaics sample the clean picture of the area, which holds every block they show.
            auto clean =
                ov::Image::create(area.width, area.height, bytesPerRow, ov::kNativeBitmapInfo,
                                  std::vector<uint8_t>(pixels, pixels + bytesPerRow * area.height));
            for (const auto& watermark : preset->watermarks())
                if (auto* pixellate = dynamic_cast<OVPixellateWatermark*>(watermark.get()))
                    pixellate->setImagePart(clean, {area.x, bottom, area.width, area.height},
                                            canvasWidth, canvasHeight);
        }
        context->translateCTM(-area.x, -bottom);
        // Only the marks that reach the area: the others would draw nothing in it.
        for (const auto& [watermark, box] : inks) {
            if (box.intersection(area).isEmpty())
                continue;
            if (OVWatermarkIsTiled(*watermark))
                OVRenderTiledWatermark(*watermark, *context, stamps.get());
            else
                watermark->renderInContext(*context);
        }
        return true;
    };
    return picture;
}
