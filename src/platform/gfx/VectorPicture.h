#pragma once

#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace ov {

class GraphicsContext;

/// A picture described by drawing instructions (an SVG document) rather than pixels: drawn at
/// any size, it is as sharp as the surface it is drawn on. Immutable after creation except for
/// the renderer's own state, which a lock guards: safe to share between threads.
class VectorPicture {
public:
    /// Whether `bytes` look like an SVG document (an XML text whose first element is <svg>).
    [[nodiscard]] static bool isVectorData(std::span<const std::uint8_t> bytes);
    /// The picture of an SVG document; null when it is not one or cannot be parsed, or states
    /// no size (neither width and height nor a view box).
    [[nodiscard]] static std::shared_ptr<const VectorPicture>
    createWithData(std::vector<std::uint8_t> bytes);
    ~VectorPicture();
    VectorPicture(const VectorPicture&) = delete;
    VectorPicture& operator=(const VectorPicture&) = delete;

    /// The document as it was given.
    [[nodiscard]] const std::vector<std::uint8_t>& data() const { return data_; }
    /// The size the document states, in pixels (its view box's when it states none).
    [[nodiscard]] Size size() const { return size_; }
    /// Draws the picture to fill `rect` (y-up user space of `context`; the document's own
    /// aspect rule applies inside it) under the context's transform, alpha, shadow and clip.
    void draw(GraphicsContext& context, const Rect& rect) const;
    /// The picture drawn into a transparent bitmap of width × height; null for a bad size.
    [[nodiscard]] ImagePtr rasterize(int width, int height) const;

private:
    VectorPicture() = default;
    struct Handle;
    std::vector<std::uint8_t> data_;
    Size size_;
    std::unique_ptr<Handle> handle_;
    mutable std::mutex mutex_;
};

} // namespace ov
