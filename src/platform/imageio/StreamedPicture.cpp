#include "inkstead/platform/imageio/StreamedPicture.h"

#include "inkstead/platform/imageio/ImageSource_p.h"
#include "inkstead/platform/imageio/MarkCanvas_p.h"
#include "inkstead/platform/imageio/StreamedPicture_p.h"
#include "inkstead/platform/imageio/WorkerHandoff_p.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <mutex>

namespace ov {

PixelBox PixelBox::intersection(const PixelBox& other) const {
    const int left = std::max(x, other.x);
    const int top = std::max(y, other.y);
    const int r = std::min(right(), other.right());
    const int b = std::min(bottom(), other.bottom());
    if (r <= left || b <= top) {
        return {};
    }
    return {left, top, r - left, b - top};
}

PixelBox PixelBox::grown(int margin) const {
    return {x - margin, y - margin, width + 2 * margin, height + 2 * margin};
}

namespace imageio {
namespace {

struct PaintedBox {
    PixelBox box;
    std::vector<uint8_t> pixels; ///< the painted box in the picture's samples
    bool painted = false;
};

} // namespace

struct StreamState {
    StreamedPicture picture;
    vips::VImage direct; ///< the upright clean picture
    vips::VImage cached; ///< the same through a cache of the rows around boxes
    int bands = 3;
    bool deep = false; ///< 16 bits a sample, else 8
    /// From the marks' sRGB into the photograph's colour space; null when that is sRGB.
    std::unique_ptr<const ColorConversion> conversion;
    std::mutex mutex;
    std::vector<PaintedBox> boxes;
    std::atomic<bool> sourceFailed = false;
};

bool sourceFailed(const StreamState& state) {
    return state.sourceFailed;
}

namespace {

// The regions one thread reads the picture through.
struct Regions {
    VipsRegion* direct = nullptr;
    VipsRegion* cached = nullptr;
};

int stopRegions(void* sequence, void*, void*) {
    auto* regions = static_cast<Regions*>(sequence);
    if (regions->direct != nullptr) {
        g_object_unref(regions->direct);
    }
    if (regions->cached != nullptr) {
        g_object_unref(regions->cached);
    }
    delete regions;
    return 0;
}

void* startRegions(VipsImage*, void* a, void*) {
    const HandoffScope handoff(a);
    auto& state = *static_cast<StreamState*>(a);
    auto* regions = new Regions{vips_region_new(state.direct.get_image()),
                                vips_region_new(state.cached.get_image())};
    if (regions->direct == nullptr || regions->cached == nullptr) {
        stopRegions(regions, nullptr, nullptr);
        return nullptr;
    }
    return regions;
}

// Decodes the box with its surroundings, lets the painter draw on it in native pixels and
// keeps the box itself, back in the picture's own samples.
bool paint(StreamState& state, PaintedBox& painted) {
    const PixelBox picture{0, 0, state.picture.width, state.picture.height};
    const PixelBox area = painted.box.grown(state.picture.surroundings).intersection(picture);
    VipsRegion* region = vips_region_new(state.cached.get_image());
    if (region == nullptr) {
        return false;
    }
    VipsRect rect{area.x, area.y, area.width, area.height};
    if (vips_region_prepare(region, &rect) != 0) {
        state.sourceFailed = true;
        g_object_unref(region);
        return false;
    }
    MarkCanvas canvas(area, state.bands, state.deep, state.conversion.get());
    canvas.load(region);
    g_object_unref(region);
    if (!state.picture.painter(canvas.pixels(), canvas.bytesPerRow(), area)) {
        return false;
    }
    canvas.store(painted.box, painted.pixels);
    painted.painted = true;
    return true;
}

// The clean picture where no box is; where boxes are, their painted pixels. Boxes are painted
// the first time a strip reaches them and dropped once the encoder, which writes top to
// bottom, has passed them.
int generateStrip(VipsRegion* out, void* sequence, void* a, void*, gboolean*) {
    auto& state = *static_cast<StreamState*>(a);
    auto* regions = static_cast<Regions*>(sequence);
    const VipsRect& r = out->valid;
    const PixelBox strip{r.left, r.top, r.width, r.height};
    // Rows near a box go through the cache, since painting the box reads them ahead of the
    // encoder; all others come straight from the decoder.
    const int reach = state.picture.surroundings;
    const bool nearBox = std::any_of(state.boxes.begin(), state.boxes.end(), [&](const auto& each) {
        return !each.box.grown(reach).intersection(strip).isEmpty();
    });
    VipsRegion* input = nearBox ? regions->cached : regions->direct;
    if (vips_region_prepare(input, &r) != 0) {
        state.sourceFailed = true;
        return -1;
    }
    const bool meets = std::any_of(state.boxes.begin(), state.boxes.end(), [&](const auto& each) {
        return !each.box.intersection(strip).isEmpty();
    });
    if (!meets) {
        return vips_region_region(out, input, &r, r.left, r.top);
    }
    vips_region_copy(input, out, &r, r.left, r.top);
    std::lock_guard lock(state.mutex);
    for (auto& painted : state.boxes) {
        const PixelBox common = painted.box.intersection(strip);
        if (common.isEmpty()) {
            continue;
        }
        if (!painted.painted && !paint(state, painted)) {
            vips_error("inkstead", "%s", "the marks could not be drawn");
            return -1;
        }
        const std::size_t pixelSize = VIPS_IMAGE_SIZEOF_PEL(out->im);
        const std::size_t row = static_cast<std::size_t>(painted.box.width) * pixelSize;
        for (int y = common.y; y < common.bottom(); ++y) {
            const uint8_t* src = painted.pixels.data() + (y - painted.box.y) * row +
                                 static_cast<std::size_t>(common.x - painted.box.x) * pixelSize;
            std::copy_n(src, static_cast<std::size_t>(common.width) * pixelSize,
                        VIPS_REGION_ADDR(out, common.x, y));
        }
        if (strip.bottom() >= painted.box.bottom()) {
            painted.pixels = {};
            painted.painted = false;
        }
    }
    return 0;
}

// No exception may cross libvips' C frames: a failure (memory included) fails the write.
int generate(VipsRegion* out, void* sequence, void* a, void* b, gboolean* stop) {
    const HandoffScope handoff(a);
    try {
        return generateStrip(out, sequence, a, b, stop);
    } catch (const std::bad_alloc&) {
        vips_error("inkstead", "%s", "out of memory");
    } catch (const std::exception& error) {
        vips_error("inkstead", "%s", error.what());
    }
    return -1;
}

} // namespace

vips::VImage streamedImage(const StreamedPicture& picture, bool keepAlpha, bool keepDepth,
                           std::shared_ptr<StreamState>& state) {
    state = std::make_shared<StreamState>();
    state->picture = picture;
    vips::VImage input;
    try {
        if (keepDepth)
            input = orientedDeepPicture(*picture.source, picture.width, picture.height);
        if (input.is_null())
            input = orientedPicture(*picture.source, picture.width, picture.height);
    } catch (const vips::VError&) {
        state->sourceFailed = true;
        throw;
    }
    state->deep = input.format() == VIPS_FORMAT_USHORT;
    if (input.get_typeof(VIPS_META_ICC_NAME) != 0) {
        const void* data = nullptr;
        std::size_t length = 0;
        if (vips_image_get_blob(input.get_image(), VIPS_META_ICC_NAME, &data, &length) == 0) {
            const auto* bytes = static_cast<const uint8_t*>(data);
            state->conversion = ColorConversion::withProfile({bytes, bytes + length});
        }
    }
    if (input.bands() == 4 && !keepAlpha) {
        // Premultiplied pixels written without their alpha: the picture over black.
        input = input.flatten().cast(input.format());
    }
    state->bands = input.bands();
    const PixelBox whole{0, 0, picture.width, picture.height};
    int tallest = 0;
    for (const auto& box : picture.boxes) {
        const PixelBox inside = box.intersection(whole);
        if (!inside.isEmpty() && picture.painter) {
            state->boxes.push_back({inside, {}, false});
            tallest = std::max(tallest, inside.height + 2 * picture.surroundings);
        }
    }
    state->direct = input;
    // A box is decoded whole when the encoder reaches its top, then its rows are read again
    // strip by strip: the cache keeps that many decoded rows (and no more), one row a tile so
    // that reads through it and around it meet exactly.
    state->cached = input.tilecache(vips::VImage::option()
                                        ->set("tile_width", picture.width)
                                        ->set("tile_height", 1)
                                        ->set("max_tiles", tallest + 64)
                                        ->set("access", VIPS_ACCESS_SEQUENTIAL)
                                        ->set("threaded", true));

    // A fresh image rather than the decoder's: none of the source's metadata (orientation
    // included) may reach the encoder unless the caller's properties say so.
    VipsImage* out = vips_image_new();
    vips_image_init_fields(
        out, picture.width, picture.height, state->bands, input.format(), VIPS_CODING_NONE,
        state->deep ? VIPS_INTERPRETATION_RGB16 : VIPS_INTERPRETATION_sRGB, 1.0, 1.0);
    if (vips_image_pipelinev(out, VIPS_DEMAND_STYLE_THINSTRIP, nullptr) != 0 ||
        vips_image_generate(out, startRegions, generate, stopRegions, state.get(), nullptr) != 0) {
        g_object_unref(out);
        throw vips::VError();
    }
    publishHandoff(state.get());
    return vips::VImage(out); // takes over the reference
}

void receiveFromWorkers(const StreamState& state) {
    receiveHandoff(&state);
}

} // namespace imageio
} // namespace ov
