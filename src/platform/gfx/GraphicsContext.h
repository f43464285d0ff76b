#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Geometry.h"
#include "inkstead/platform/gfx/Image.h"
#include "inkstead/platform/gfx/Path.h"

#include <filesystem>
#include <memory>
#include <optional>
#include <vector>

namespace ov {

enum class PathDrawingMode { fill = 0, eoFill = 1, stroke = 2, fillStroke = 3, eoFillStroke = 4 };
enum class InterpolationQuality { defaultQuality = 0, none = 1, low = 2, medium = 4, high = 3 };
enum class BlendMode {
    normal = 0,
    multiply,
    screen,
    overlay,
    darken,
    lighten,
    sourceIn,
    sourceAtop,
    destinationOver,
    clear,
    copy
};

/// A two-stop (or more) linear gradient; stops evenly spaced unless locations are given.
struct Gradient {
    std::vector<Color> colors;
    std::vector<double> locations; ///< empty: evenly spaced from 0 to 1
};

/// The 2D drawing surface every renderer draws through (the platform's CGContext) on Cairo.
///
/// User space is y-up with the origin at the lower left of the surface; one unit is one device
/// pixel until the transform is changed. The flip to Cairo's y-down device space is a base
/// transform set once per surface: getCTM() and concatCTM() see only the user part, and images
/// and text are flipped back locally so that they appear upright.
///
/// All drawing state lives in one stack (saveGState/restoreGState): transform, clip, fill and
/// stroke colours, line width, dash, cap, join, global alpha, shadow, text matrix, interpolation
/// quality and blend mode. Global alpha multiplies every later drawing operation (images and
/// text included); a shadow is drawn beneath every later operation from that operation's blurred
/// coverage, within the clip.
///
/// Not thread-safe: one thread draws into a context at a time.
class GraphicsContext {
public:
    /// A bitmap context of width × height pixels in the native layout (premultiplied ARGB,
    /// 32-bit little-endian), cleared to transparent. Null for non-positive or huge sizes.
    static std::unique_ptr<GraphicsContext> createBitmap(int width, int height);
    /// A context drawing into pixels it does not own (a window's back buffer): width × height
    /// in the native layout, rows top to bottom and `bytesPerRow` apart (a multiple of 4). The
    /// pixels are drawn over as they are and must outlive the context. Null for a null buffer,
    /// bad sizes or rows too short. takeImage() on it returns a copy.
    static std::unique_ptr<GraphicsContext> createWithData(uint8_t* data, int width, int height,
                                                           std::size_t bytesPerRow);
    ~GraphicsContext();
    GraphicsContext(const GraphicsContext&) = delete;
    GraphicsContext& operator=(const GraphicsContext&) = delete;

    //! \name Bitmap
    [[nodiscard]] int width() const;
    [[nodiscard]] int height() const;
    [[nodiscard]] std::size_t bytesPerRow() const;
    [[nodiscard]] uint32_t bitmapInfo() const { return kNativeBitmapInfo; }
    /// The pixels, rows top to bottom; flushes pending drawing first.
    [[nodiscard]] uint8_t* data();
    /// A snapshot copy of the current pixels.
    [[nodiscard]] ImagePtr makeImage() const;
    /// Hands the pixel buffer to an image without copying; the context must not be drawn into
    /// afterwards (it becomes an empty 0 × 0 context).
    [[nodiscard]] ImagePtr takeImage();
    /// Writes the pixels as a PNG (tests and debugging).
    [[nodiscard]] Result<void> writePNG(const std::filesystem::path& path) const;

    //! \name State
    void saveGState();
    void restoreGState();
    [[nodiscard]] int stateDepth() const;

    //! \name Transform (user part only)
    [[nodiscard]] AffineTransform getCTM() const;
    void concatCTM(const AffineTransform& t);
    void scaleCTM(double sx, double sy);
    void translateCTM(double tx, double ty);
    void rotateCTM(double radians);

    //! \name Drawing attributes
    void setAlpha(double alpha);
    [[nodiscard]] double alpha() const;
    /// Shadow for later drawing: offset (y upward) and blur radius, both in device pixels and
    /// unaffected by the transform, as the platform does; colour (none turns the shadow off, as
    /// does a colour with zero alpha). The shadow is a Gaussian blur (sigma = blur / 2) of the
    /// operation's coverage, multiplied by the colour's alpha and the global alpha.
    void setShadowWithColor(Size offset, double blur, std::optional<Color> color);
    void setShadow(Size offset, double blur); ///< black with alpha 1/3, as the platform does
    void setFillColor(const Color& c);
    void setStrokeColor(const Color& c);
    void setLineWidth(double width);
    /// Lengths repeat as on, off, on, off… starting `phase` units into the pattern; empty: solid.
    void setLineDash(double phase, const std::vector<double>& lengths);
    void setLineCap(LineCap cap);
    void setLineJoin(LineJoin join);
    void setMiterLimit(double limit);
    void setInterpolationQuality(InterpolationQuality q);
    [[nodiscard]] InterpolationQuality interpolationQuality() const;
    void setBlendMode(BlendMode mode);
    void setTextMatrix(const AffineTransform& t);
    [[nodiscard]] AffineTransform textMatrix() const;

    //! \name Current path (in user space at the time each element is added)
    void beginPath();
    void addPath(const Path& path);
    void addRect(const Rect& r);
    void addEllipseInRect(const Rect& r);
    void moveTo(Point p);
    void addLineTo(Point p);
    void closePath();
    [[nodiscard]] bool isPathEmpty() const;

    //! \name Painting (each consumes the current path)
    void fillPath(); ///< non-zero winding
    void eoFillPath();
    void strokePath();
    void drawPath(PathDrawingMode mode);
    void fillRect(const Rect& r);
    void strokeRect(const Rect& r);
    void clearRect(const Rect& r);
    /// Draws the image scaled to fill `rect`, upright in the y-up space.
    void drawImage(const Rect& rect, const Image& image);
    /// Draws the gradient from start to end without extending past the ends.
    void drawLinearGradient(const Gradient& gradient, Point start, Point end);

    //! \name Clip
    void clip(); ///< intersects the clip with the current path (non-zero), consumes the path
    void eoClip();
    void clipToRect(const Rect& r);
    /// Bounding box of the clip in user space.
    [[nodiscard]] Rect clipBoundingBox() const;

    //! \name Transparency layers
    void beginTransparencyLayer();
    void endTransparencyLayer();

    struct Impl;
    Impl& impl() {
        return *d;
    } ///< platform-internal access (text drawing), see GraphicsContext_p.h

private:
    explicit GraphicsContext(std::unique_ptr<Impl> impl);
    std::unique_ptr<Impl> d;
};

} // namespace ov
