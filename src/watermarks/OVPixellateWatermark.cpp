#include "inkstead/watermarks/OVPixellateWatermark.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVMosaic.h"

#include <algorithm>
#include <cmath>

namespace {

// Corner of the block grid, in pixels of the picture (y-up).
constexpr double kGridAnchor = 150.0;
// How far the mosaic reaches beyond the picture, as a multiple of the intensity.
constexpr double kMarginFactor = 1.1;
// Largest mosaic drawn in one render, in pixels; anything larger is a nonsensical geometry.
constexpr double kMaxRegionPixels = double(1 << 28);

} // namespace

std::shared_ptr<OVPixellateWatermark> OVPixellateWatermark::pixellateWatermark() {
    auto pixellate = std::make_shared<OVPixellateWatermark>();
    pixellate->initWatermarkWithOptions({
        {std::string(kOVWatermarkTypeKey), std::int64_t{OVWatermarkTypePixellate}},
        {std::string(kOVWatermarkTitleKey), std::string("Image")},
        {std::string(kOVWatermarkSizeKey), ov::Size{300, 100}},
        {std::string(kOVWatermarkProportionalKey), false},
    });
    pixellate->setShouldUseRelativePosition(false);
    pixellate->setShouldUseRelativeSize(false);
    pixellate->setShouldResizeProportionally(false);
    pixellate->setIntensity(20.0);
    pixellate->setVisible(true);
    return pixellate;
}

std::shared_ptr<OVWatermark> OVPixellateWatermark::newInstance() const {
    return std::make_shared<OVPixellateWatermark>();
}

std::shared_ptr<OVWatermark> OVPixellateWatermark::copy() const {
    auto base = OVWatermark::copy();
    static_cast<OVPixellateWatermark*>(base.get())->setIntensity(intensity());
    return base;
}

void OVPixellateWatermark::renderInContext(ov::GraphicsContext& context) {
    if (!isVisible())
        return;
    const ov::Rect imageRect = bounds().standardized();
    if (imageRect.size.width == 0 && imageRect.size.height == 0)
        return;
    ov::ImagePtr picture = image();
    if (!picture)
        return;

    {
        const OVSavedGraphicsState saved(context);
        drawMosaic(context, imageRect, std::move(picture));
    }
    OVWatermark::renderInContext(context);
    if (isEditable())
        drawHandlesInContext(context);
}

void OVPixellateWatermark::drawMosaic(ov::GraphicsContext& context, const ov::Rect& imageRect,
                                      ov::ImagePtr picture) {
    if (imageRect.size.width == 0 || imageRect.size.height == 0)
        return;
    if (!picture->isNativeLayout())
        picture = picture->nativeCopy();
    if (!picture)
        return;
    const double scale = OVContextGetScale(context);
    const double level = intensity();
    const double blockSide = level * scale;

    // The picture's pixels cover bounds(); these are image units per picture pixel. A part of
    // the picture sits at its own place in it.
    const OVPixelRect held =
        part_ ? part_->where : OVPixelRect{0, 0, picture->width(), picture->height()};
    const int pictureWidth = part_ ? part_->pictureWidth : picture->width();
    const int pictureHeight = part_ ? part_->pictureHeight : picture->height();
    if (pictureWidth <= 0 || pictureHeight <= 0)
        return;
    const double unitX = imageRect.size.width / pictureWidth;
    const double unitY = imageRect.size.height / pictureHeight;
    const double marginX = level > 0 ? std::round(kMarginFactor * level / unitX) : 0;
    const double marginY = level > 0 ? std::round(kMarginFactor * level / unitY) : 0;

    context.clipToRect(drawRect());
    // Only the pixels that can show are computed: the clipped draw rectangle, within the
    // picture grown by the margin, in picture pixels.
    const ov::Rect visible = context.clipBoundingBox();
    if (visible.isEmpty())
        return;
    const double x0 = std::max(std::floor((visible.minX() - imageRect.minX()) / unitX), -marginX);
    const double y0 = std::max(std::floor((visible.minY() - imageRect.minY()) / unitY), -marginY);
    const double x1 =
        std::min(std::ceil((visible.maxX() - imageRect.minX()) / unitX), pictureWidth + marginX);
    const double y1 =
        std::min(std::ceil((visible.maxY() - imageRect.minY()) / unitY), pictureHeight + marginY);
    if (!(x1 > x0 && y1 > y0) || (x1 - x0) * (y1 - y0) > kMaxRegionPixels)
        return;
    const OVPixelRect region{int(x0), int(y0), int(x1 - x0), int(y1 - y0)};

    auto mosaic = ov::Image::createNative(region.width, region.height);
    if (!mosaic)
        return;
    const OVPixelBuffer source{picture->data(), picture->width(), picture->height(),
                               picture->bytesPerRow()};
    const OVPixelRect regionInHeld{region.x - held.x, region.y - held.y, region.width,
                                   region.height};
    if (!OVPixellateRegion(source, blockSide, kGridAnchor - held.x, kGridAnchor - held.y,
                           regionInHeld, mosaic->mutableData(), mosaic->bytesPerRow()))
        return;
    context.drawImage({imageRect.minX() + region.x * unitX, imageRect.minY() + region.y * unitY,
                       region.width * unitX, region.height * unitY},
                      *mosaic);
}
