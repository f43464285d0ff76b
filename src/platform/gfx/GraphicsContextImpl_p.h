#pragma once

// The Cairo side of GraphicsContext, shared by its source files. Not installed.

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <cairo.h>

#include <functional>
#include <optional>
#include <vector>

namespace ov {

/// Everything saveGState() pushes besides the clip (which Cairo's own save stack keeps).
struct GraphicsState {
    AffineTransform ctm;     ///< user part; the device matrix is this followed by the y-flip
    bool degenerate = false; ///< the transform cannot be inverted: drawing does nothing
    Color fillColor = Color::black();
    Color strokeColor = Color::black();
    double lineWidth = 1;
    double dashPhase = 0;
    std::vector<double> dashLengths;
    LineCap lineCap = LineCap::butt;
    LineJoin lineJoin = LineJoin::miter;
    double miterLimit = 10;
    double alpha = 1;
    Size shadowOffset;
    double shadowBlur = 0;
    std::optional<Color> shadowColor;
    AffineTransform textMatrix;
    InterpolationQuality interpolation = InterpolationQuality::defaultQuality;
    BlendMode blendMode = BlendMode::normal;

    [[nodiscard]] bool hasShadow() const { return shadowColor && shadowColor->alpha > 0; }
};

struct GraphicsContext::Impl {
    /// Paints one operation's content into `cr` with its colours multiplied by `alpha`.
    using Painter = std::function<void(cairo_t* cr, double alpha)>;

    std::vector<uint8_t> pixels;
    /// Pixels owned by someone else (a window's back buffer); when set, `pixels` stays empty.
    uint8_t* externalPixels = nullptr;
    int width = 0;
    int height = 0;
    int stride = 0;
    cairo_surface_t* surface = nullptr;
    cairo_t* cr = nullptr;

    GraphicsState state;
    std::vector<GraphicsState> saved;
    /// Open transparency layers: the save depth each one started at.
    std::vector<std::size_t> layers;
    bool hasPath = false;

    Impl() = default;
    ~Impl();
    Impl(const Impl&) = delete;
    Impl& operator=(const Impl&) = delete;

    /// The pixels drawn into: the external ones when set, else the own buffer; null when none.
    [[nodiscard]] uint8_t* buffer() {
        return externalPixels ? externalPixels : (pixels.empty() ? nullptr : pixels.data());
    }
    /// Creates the surface over buffer() (which must hold stride × height bytes).
    void attachSurface();
    void releaseSurface();
    [[nodiscard]] bool canDraw() const { return cr && !state.degenerate; }

    /// Sets Cairo's matrix from state.ctm, or marks the state degenerate.
    void applyTransform();
    void applyStrokeSettings(cairo_t* target) const;

    /// Runs one drawing operation with global alpha, shadow, clip and blend mode applied.
    /// `paintAppliesAlpha` says the painter can honour a global alpha below 1 by itself;
    /// otherwise the content is drawn first and composited as a whole. The painter sees the
    /// current path (in both routes) and must not consume it; the path is cleared afterwards.
    void perform(const Painter& paint, bool paintAppliesAlpha);
    /// Runs `body` with the current path replaced by `path`, then puts the old path back.
    void withTemporaryPath(const Path* path, const std::function<void()>& body);
    void appendPath(const Path& path);

    void restoreOne();

private:
    void drawShadow(cairo_surface_t* content, const cairo_rectangle_int_t& ink);
};

/// Cairo operator for a blend mode.
cairo_operator_t cairoOperator(BlendMode mode);

/// The outcome of writing a PNG to `path` that ended with `status`.
inline Result<void> pngWritten(cairo_status_t status, const std::filesystem::path& path) {
    if (status == CAIRO_STATUS_SUCCESS)
        return {};
    return makeError(status == CAIRO_STATUS_NO_MEMORY ? std::errc::not_enough_memory
                                                      : std::errc::io_error,
                     "Could not write " + path.string() + ": " + cairo_status_to_string(status));
}

} // namespace ov
