#include "inkstead/imaging/OVWatermarkedImage.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/imaging/OVImageTextVariables.h"
#include "inkstead/presets/OVPreset.h"

#include <cmath>
#include <limits>

ov::Size ov_CGImageSourceGetSize(const ov::ImageSourcePtr& source) {
    if (!source) {
        return {0, 0};
    }
    const auto properties = source->properties();
    return {properties.number(ov::kOVPropertyPixelWidth).value_or(0),
            properties.number(ov::kOVPropertyPixelHeight).value_or(0)};
}

unsigned ov_CGImageSourceGetOrientation(const ov::ImageSourcePtr& source) {
    if (!source) {
        return 0;
    }
    const auto orientation = source->properties().integer(ov::kOVPropertyOrientation);
    if (!orientation || *orientation < 0 || *orientation > std::numeric_limits<unsigned>::max()) {
        return 0;
    }
    return static_cast<unsigned>(*orientation);
}

ov::ImagePtr createCGImageThumbnailForRect(const ov::ImageSourcePtr& source, ov::Rect rect) {
    if (!source) {
        return nullptr;
    }
    const auto integral = rect.integral();
    return source->createThumbnail(std::max(integral.size.width, integral.size.height));
}

std::unique_ptr<ov::GraphicsContext>
CGContextCreateWithCGImageForSize(const ov::ImagePtr& image, double width, double height) {
    if (!image || !(width >= 1) || !(height >= 1) || width > std::numeric_limits<int>::max() ||
        height > std::numeric_limits<int>::max()) {
        return nullptr;
    }
    const auto w = static_cast<int>(width);
    const auto h = static_cast<int>(height);
    // A row of the image must hold a row of the context.
    if (image->bytesPerRow() < static_cast<std::size_t>(w) * (image->bitsPerPixel() / 8)) {
        return nullptr;
    }
    return ov::GraphicsContext::createBitmap(w, h);
}

std::unique_ptr<ov::GraphicsContext> CGContextCreateWithCGImage(const ov::ImagePtr& image) {
    if (!image) {
        return nullptr;
    }
    return CGContextCreateWithCGImageForSize(image, image->width(), image->height());
}

namespace {

bool hasPixellateWatermark(const OVPreset& preset) {
    for (const auto& watermark : preset.watermarks()) {
        if (watermark && watermark->type() == OVWatermarkTypePixellate) {
            return true;
        }
    }
    return false;
}

} // namespace

void OVPresetSetBackdropSampleFromSource(OVPreset& preset, const ov::ImageSourcePtr& source) {
    // Enough pixels for a fair mean under a mark a few percent of the picture wide.
    constexpr double kSampleSide = 512;
    if (source && preset.wantsBackdropSample())
        preset.setBackdropSample(source->createThumbnail(kSampleSide));
}

ov::ImagePtr CGImageCreateWatermarkedImageWithPreset(const ov::ImageSourcePtr& source,
                                                     const std::shared_ptr<OVPreset>& preset) {
    if (!source) {
        return nullptr;
    }
    const auto properties = source->properties();
    ov::Size size{properties.number(ov::kOVPropertyPixelWidth).value_or(0),
                  properties.number(ov::kOVPropertyPixelHeight).value_or(0)};
    if (preset && preset->shouldResize()) {
        size = preset->scaleSizeWithPresetResizeSettings(size);
    }
    // Orientations 5 to 8 turn the stored picture a quarter (5 and 7 mirrored as well).
    const auto orientation = properties.integer(ov::kOVPropertyOrientation).value_or(0);
    if (orientation >= 5 && orientation <= 8) {
        size = {size.height, size.width};
    }
    const auto canvas = CGRectFromCGSize(size);
    if (!(size.width >= 1) || !(size.height >= 1) || size.width > std::numeric_limits<int>::max() ||
        size.height > std::numeric_limits<int>::max()) {
        return nullptr;
    }
    auto context = ov::GraphicsContext::createBitmap(static_cast<int>(size.width),
                                                     static_cast<int>(size.height));
    if (!context) {
        return nullptr;
    }
    // The picture is decoded straight into the canvas, filling it; no intermediate image.
    if (!source->decodeOriented(context->width(), context->height(), context->data(),
                                context->bytesPerRow())
             .ok()) {
        return nullptr;
    }
    if (preset) {
        // The clean picture costs a canvas of memory: only pixellate watermarks need it.
        preset->setPixellateImageSource(hasPixellateWatermark(*preset) ? context->makeImage()
                                                                       : nullptr);
        preset->setEnableExportMode();
        OVPresetFillTextVariables(*preset, source, size);
        OVPresetSetBackdropSampleFromSource(*preset, source);
        preset->setWatermarkBounds(canvas);
        preset->renderInContext(*context);
    }
    return context->takeImage();
}
