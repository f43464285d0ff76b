#include "inkstead/watermarks/OVTiledRendering.h"

#include "inkstead/geometry/OVGeometry.h"
#include "inkstead/platform/gfx/GraphicsContext.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {

// Device pixels a shadow (blur 7) reaches beyond what casts it.
constexpr double kShadowReach = 20;
// Largest side of a stamp; a bigger one is no tile but the whole image.
constexpr double kMaxStampSide = 16384;

std::shared_ptr<const OVStampCache::Stamp> makeStamp(OVWatermark& watermark,
                                                     const ov::AffineTransform& device,
                                                     const ov::AffineTransform& turn) {
    const double scale = std::sqrt(std::fabs(device.a * device.d - device.b * device.c));
    if (!(scale > 0) || !std::isfinite(scale))
        return nullptr;
    const double reach = watermark.drawingOutset() + kShadowReach / scale;
    const ov::Rect region = watermark.frame().insetBy(-reach, -reach).applying(turn);
    const ov::Rect pixels = region.applying(device).integral();
    if (!(pixels.size.width >= 1) || !(pixels.size.height >= 1) ||
        pixels.size.width > kMaxStampSide || pixels.size.height > kMaxStampSide)
        return nullptr;
    auto context = ov::GraphicsContext::createBitmap(static_cast<int>(pixels.size.width),
                                                     static_cast<int>(pixels.size.height));
    if (!context)
        return nullptr;
    context->translateCTM(-pixels.origin.x, -pixels.origin.y);
    context->concatCTM(device);
    context->concatCTM(turn);
    const bool editable = watermark.isEditable();
    watermark.setEditable(false);
    watermark.renderInContext(*context);
    watermark.setEditable(editable);
    auto stamp = std::make_shared<OVStampCache::Stamp>();
    stamp->image = context->takeImage();
    stamp->origin = {pixels.origin.x - std::floor(device.tx), pixels.origin.y - std::floor(device.ty)};
    return stamp;
}

} // namespace

std::shared_ptr<const OVStampCache::Stamp> OVStampCache::find(const OVWatermark* watermark,
                                                              const ov::AffineTransform& key) const {
    std::lock_guard lock(mutex_);
    const auto found = stamps_.find(watermark);
    return found != stamps_.end() && found->second->key == key ? found->second : nullptr;
}

void OVStampCache::store(const OVWatermark* watermark, std::shared_ptr<const Stamp> stamp) {
    std::lock_guard lock(mutex_);
    stamps_[watermark] = std::move(stamp);
}

void OVRenderTiledWatermark(OVWatermark& watermark, ov::GraphicsContext& context,
                            OVStampCache* cache) {
    const ov::Rect image = watermark.bounds().standardized();
    if (!watermark.isVisible() || image.size.width <= 0 || image.size.height <= 0)
        return;
    const OVTiling tiling = watermark.tiling();
    const ov::Rect frame = watermark.frame();
    const ov::Point centre = OVRectCenter(frame);
    const ov::AffineTransform turn = OVAffineTransformRotateOnPoint(tiling.angle, centre);
    const ov::AffineTransform device = context.getCTM();

    // The pixels depend on the transform but for a shift by whole device pixels.
    ov::AffineTransform key = device;
    key.tx -= std::floor(device.tx);
    key.ty -= std::floor(device.ty);
    std::shared_ptr<const OVStampCache::Stamp> stamp = cache ? cache->find(&watermark, key) : nullptr;
    if (!stamp) {
        auto made = makeStamp(watermark, device, turn);
        if (!made) {
            watermark.renderInContext(context);
            return;
        }
        auto keyed = std::make_shared<OVStampCache::Stamp>(*made);
        keyed->key = key;
        stamp = keyed;
        if (cache)
            cache->store(&watermark, stamp);
    }
    const ov::Rect stampRect{stamp->origin.x + std::floor(device.tx),
                             stamp->origin.y + std::floor(device.ty),
                             static_cast<double>(stamp->image->width()),
                             static_cast<double>(stamp->image->height())};

    // The grid in device pixels: the cell steps turned with the grid, from the mark's centre.
    const double radians = -tiling.angle * std::numbers::pi / 180;
    const double across = frame.size.width * (1 + tiling.spacing);
    const double down = frame.size.height * (1 + tiling.spacing);
    const ov::Size u = ov::Size{across * std::cos(radians), across * std::sin(radians)}.applying(device);
    const ov::Size v = ov::Size{-down * std::sin(radians), down * std::cos(radians)}.applying(device);
    const ov::Point origin = centre.applying(device);
    const double determinant = u.width * v.height - u.height * v.width;
    if (!(std::fabs(determinant) > 1e-9) || !std::isfinite(determinant)) {
        watermark.renderInContext(context);
        return;
    }

    context.saveGState();
    context.concatCTM(device.inverted());
    context.clipToRect(image.applying(device));
    const ov::Rect visible = context.clipBoundingBox();
    // Grid coordinates of the corners of the area where a copy may show.
    const ov::Rect reach{visible.minX() - stampRect.maxX() + origin.x,
                         visible.minY() - stampRect.maxY() + origin.y,
                         visible.size.width + stampRect.size.width,
                         visible.size.height + stampRect.size.height};
    double iLow = INFINITY, iHigh = -INFINITY, jLow = INFINITY, jHigh = -INFINITY;
    for (const ov::Point corner : {ov::Point{reach.minX(), reach.minY()},
                                   ov::Point{reach.maxX(), reach.minY()},
                                   ov::Point{reach.minX(), reach.maxY()},
                                   ov::Point{reach.maxX(), reach.maxY()}}) {
        const double dx = corner.x - origin.x, dy = corner.y - origin.y;
        const double i = (dx * v.height - dy * v.width) / determinant;
        const double j = (u.width * dy - u.height * dx) / determinant;
        iLow = std::min(iLow, i), iHigh = std::max(iHigh, i);
        jLow = std::min(jLow, j), jHigh = std::max(jHigh, j);
    }
    iLow = std::floor(iLow) - 1, iHigh = std::ceil(iHigh) + 1;
    jLow = std::floor(jLow), jHigh = std::ceil(jHigh);
    const bool drawable = !visible.isEmpty() && std::isfinite(iLow) && std::isfinite(jLow) &&
                          (iHigh - iLow + 1) * (jHigh - jLow + 1) <= kOVMaxTiles;
    if (drawable) {
        context.setInterpolationQuality(ov::InterpolationQuality::none);
        for (double j = jLow; j <= jHigh; ++j) {
            const double shift = tiling.offsetRows && std::fmod(std::fabs(j), 2) == 1 ? 0.5 : 0;
            for (double i = iLow; i <= iHigh; ++i) {
                const double dx = std::round((i + shift) * u.width + j * v.width);
                const double dy = std::round((i + shift) * u.height + j * v.height);
                const ov::Rect at{stampRect.origin.x + dx, stampRect.origin.y + dy,
                                  stampRect.size.width, stampRect.size.height};
                if (at.intersects(visible))
                    context.drawImage(at, *stamp->image);
            }
        }
    }
    context.restoreGState();
    if (!drawable)
        watermark.renderInContext(context);
    else if (watermark.isEditable())
        watermark.drawEditableIndicationFrameInContext(context);
}
