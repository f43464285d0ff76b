#pragma once

// Drawing a watermark repeated over the image: rasterised once, then composited at each point
// of its grid.

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"

#include <map>
#include <memory>
#include <mutex>

namespace ov {
class GraphicsContext;
}
class OVWatermark;

/// Rasterised copies of tiled watermarks kept between draws while the watermarks do not
/// change (the strips of one streamed export). Keyed by watermark and by the part of the
/// drawing transform that changes the pixels (everything but a whole-pixel shift).
/// Thread-safe.
class OVStampCache {
public:
    struct Stamp {
        ov::AffineTransform key;
        ov::ImagePtr image;
        /// Lower-left corner of the image in device pixels, less the whole-pixel part of the
        /// transform's translation.
        ov::Point origin;
    };
    [[nodiscard]] std::shared_ptr<const Stamp> find(const OVWatermark* watermark,
                                                    const ov::AffineTransform& key) const;
    void store(const OVWatermark* watermark, std::shared_ptr<const Stamp> stamp);

private:
    mutable std::mutex mutex_;
    std::map<const OVWatermark*, std::shared_ptr<const Stamp>> stamps_;
};

/// Most copies drawn for one watermark; a grid that would need more (a tiny mark on a huge
/// image) draws the watermark once instead.
inline constexpr double kOVMaxTiles = 40000;

/// Draws `watermark` at every point of its tiling's grid that shows within its bounds and the
/// context's clip: the watermark is drawn once, turned by the grid's angle and without
/// selection decorations, into a bitmap at the context's device resolution (or taken from
/// `cache`), then that bitmap is composited at each point, shifted by whole device pixels. A
/// selected watermark gets its selection frame on top. Nothing for an invisible watermark or
/// one without bounds.
void OVRenderTiledWatermark(OVWatermark& watermark, ov::GraphicsContext& context,
                            OVStampCache* cache = nullptr);
