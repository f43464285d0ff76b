#include "inkstead/platform/gfx/GraphicsContext.h"

#include "inkstead/platform/gfx/GraphicsContextImpl_p.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <new>

namespace ov {
namespace {

constexpr int kMaxSide = 32767; // Cairo's largest image side

double finiteOr(double value, double fallback) {
    return std::isfinite(value) ? value : fallback;
}

double unit(double v) {
    return std::isnan(v) ? 0 : std::clamp(v, 0.0, 1.0);
}

void setSource(cairo_t* cr, const Color& c, double alpha) {
    cairo_set_source_rgba(cr, unit(c.red), unit(c.green), unit(c.blue), unit(c.alpha) * alpha);
}

cairo_filter_t cairoFilter(InterpolationQuality q) {
    switch (q) {
    case InterpolationQuality::none:
        return CAIRO_FILTER_NEAREST;
    case InterpolationQuality::low:
        return CAIRO_FILTER_BILINEAR;
    case InterpolationQuality::high:
        return CAIRO_FILTER_BEST;
    case InterpolationQuality::medium:
    case InterpolationQuality::defaultQuality:
        break;
    }
    return CAIRO_FILTER_GOOD;
}

} // namespace

GraphicsContext::GraphicsContext(std::unique_ptr<Impl> impl) : d(std::move(impl)) {}

GraphicsContext::~GraphicsContext() = default;

std::unique_ptr<GraphicsContext> GraphicsContext::createBitmap(int width, int height) {
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    impl->stride = cairo_format_stride_for_width(CAIRO_FORMAT_ARGB32, width);
    try {
        impl->pixels.assign(static_cast<std::size_t>(impl->stride) * height, 0);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
    impl->attachSurface();
    if (cairo_status(impl->cr) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(std::move(impl)));
}

std::unique_ptr<GraphicsContext>
GraphicsContext::createWithData(uint8_t* data, int width, int height, std::size_t bytesPerRow) {
    if (!data || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide ||
        bytesPerRow % 4 != 0 || bytesPerRow < static_cast<std::size_t>(width) * 4 ||
        bytesPerRow > static_cast<std::size_t>(std::numeric_limits<int>::max()))
        return nullptr;
    auto impl = std::make_unique<Impl>();
    impl->width = width;
    impl->height = height;
    impl->stride = static_cast<int>(bytesPerRow);
    impl->externalPixels = data;
    impl->attachSurface();
    if (cairo_status(impl->cr) != CAIRO_STATUS_SUCCESS)
        return nullptr;
    return std::unique_ptr<GraphicsContext>(new GraphicsContext(std::move(impl)));
}

// Bitmap

int GraphicsContext::width() const {
    return d->width;
}

int GraphicsContext::height() const {
    return d->height;
}

std::size_t GraphicsContext::bytesPerRow() const {
    return static_cast<std::size_t>(d->stride);
}

uint8_t* GraphicsContext::data() {
    if (d->surface) {
        cairo_surface_flush(d->surface);
        // The caller may write through the pointer.
        cairo_surface_mark_dirty(d->surface);
    }
    return d->buffer();
}

ImagePtr GraphicsContext::makeImage() const {
    const uint8_t* pixels = d->buffer();
    if (!pixels)
        return nullptr;
    cairo_surface_flush(d->surface);
    return Image::create(d->width, d->height, bytesPerRow(), kNativeBitmapInfo,
                         std::vector<uint8_t>(pixels, pixels + bytesPerRow() * d->height));
}

ImagePtr GraphicsContext::takeImage() {
    if (d->externalPixels)
        return makeImage(); // the pixels are not ours to hand over
    if (d->pixels.empty())
        return nullptr;
    cairo_surface_flush(d->surface);
    d->releaseSurface();
    ImagePtr image =
        Image::create(d->width, d->height, bytesPerRow(), kNativeBitmapInfo, std::move(d->pixels));
    // What is left is an empty context on which every call is harmless.
    d->pixels.clear();
    d->width = d->height = d->stride = 0;
    d->state = GraphicsState{};
    d->saved.clear();
    d->layers.clear();
    d->hasPath = false;
    d->attachSurface();
    return image;
}

Result<void> GraphicsContext::writePNG(const std::filesystem::path& path) const {
    if (!d->buffer())
        return makeError(std::errc::invalid_argument,
                         "An empty drawing cannot be written to " + path.string());
    cairo_surface_flush(d->surface);
    return pngWritten(cairo_surface_write_to_png(d->surface, path.c_str()), path);
}

// State

void GraphicsContext::saveGState() {
    d->saved.push_back(d->state);
    cairo_save(d->cr);
}

void GraphicsContext::restoreGState() {
    // An unmatched restore, or one that would reach past an open transparency layer, is ignored.
    const std::size_t floor = d->layers.empty() ? 0 : d->layers.back();
    if (d->saved.size() <= floor)
        return;
    d->restoreOne();
}

int GraphicsContext::stateDepth() const {
    return static_cast<int>(d->saved.size());
}

// Transform

AffineTransform GraphicsContext::getCTM() const {
    return d->state.ctm;
}

void GraphicsContext::concatCTM(const AffineTransform& t) {
    d->state.ctm = concat(t, d->state.ctm);
    d->applyTransform();
}

void GraphicsContext::scaleCTM(double sx, double sy) {
    concatCTM(AffineTransform::makeScale(sx, sy));
}

void GraphicsContext::translateCTM(double tx, double ty) {
    concatCTM(AffineTransform::makeTranslation(tx, ty));
}

void GraphicsContext::rotateCTM(double radians) {
    concatCTM(AffineTransform::makeRotation(radians));
}

// Drawing attributes

void GraphicsContext::setAlpha(double alpha) {
    if (!std::isnan(alpha))
        d->state.alpha = std::clamp(alpha, 0.0, 1.0);
}

double GraphicsContext::alpha() const {
    return d->state.alpha;
}

void GraphicsContext::setShadowWithColor(Size offset, double blur, std::optional<Color> color) {
    d->state.shadowOffset = {finiteOr(offset.width, 0), finiteOr(offset.height, 0)};
    d->state.shadowBlur = std::clamp(finiteOr(blur, 0), 0.0, 1000.0);
    d->state.shadowColor = color;
}

void GraphicsContext::setShadow(Size offset, double blur) {
    setShadowWithColor(offset, blur, Color::black(1.0 / 3.0));
}

void GraphicsContext::setFillColor(const Color& c) {
    d->state.fillColor = c;
}

void GraphicsContext::setStrokeColor(const Color& c) {
    d->state.strokeColor = c;
}

void GraphicsContext::setLineWidth(double width) {
    if (std::isfinite(width))
        d->state.lineWidth = std::max(0.0, width);
}

void GraphicsContext::setLineDash(double phase, const std::vector<double>& lengths) {
    // A pattern Cairo would reject (negative, non-finite or all zero) draws solid lines.
    const bool usable = std::all_of(lengths.begin(), lengths.end(),
                                    [](double v) { return std::isfinite(v) && v >= 0; }) &&
                        std::any_of(lengths.begin(), lengths.end(), [](double v) { return v > 0; });
    d->state.dashLengths = usable ? lengths : std::vector<double>{};
    d->state.dashPhase = finiteOr(phase, 0);
}

void GraphicsContext::setLineCap(LineCap cap) {
    d->state.lineCap = cap;
}

void GraphicsContext::setLineJoin(LineJoin join) {
    d->state.lineJoin = join;
}

void GraphicsContext::setMiterLimit(double limit) {
    if (std::isfinite(limit))
        d->state.miterLimit = std::max(1.0, limit);
}

void GraphicsContext::setInterpolationQuality(InterpolationQuality q) {
    d->state.interpolation = q;
}

InterpolationQuality GraphicsContext::interpolationQuality() const {
    return d->state.interpolation;
}

void GraphicsContext::setBlendMode(BlendMode mode) {
    d->state.blendMode = mode;
}

void GraphicsContext::setTextMatrix(const AffineTransform& t) {
    d->state.textMatrix = t;
}

AffineTransform GraphicsContext::textMatrix() const {
    return d->state.textMatrix;
}

// Current path

void GraphicsContext::beginPath() {
    cairo_new_path(d->cr);
    d->hasPath = false;
}

void GraphicsContext::addPath(const Path& path) {
    d->appendPath(path);
}

void GraphicsContext::addRect(const Rect& r) {
    d->appendPath(Path::withRect(r));
}

void GraphicsContext::addEllipseInRect(const Rect& r) {
    d->appendPath(Path::withEllipseInRect(r));
}

void GraphicsContext::moveTo(Point p) {
    Path path;
    path.moveTo(p);
    d->appendPath(path);
}

void GraphicsContext::addLineTo(Point p) {
    Path path;
    path.addLineTo(p);
    d->appendPath(path);
}

void GraphicsContext::closePath() {
    Path path;
    path.closeSubpath();
    d->appendPath(path);
}

bool GraphicsContext::isPathEmpty() const {
    return !d->hasPath;
}

// Painting

void GraphicsContext::fillPath() {
    drawPath(PathDrawingMode::fill);
}

void GraphicsContext::eoFillPath() {
    drawPath(PathDrawingMode::eoFill);
}

void GraphicsContext::strokePath() {
    drawPath(PathDrawingMode::stroke);
}

void GraphicsContext::drawPath(PathDrawingMode mode) {
    const bool fills = mode != PathDrawingMode::stroke;
    const bool strokes = mode == PathDrawingMode::stroke || mode == PathDrawingMode::fillStroke ||
                         mode == PathDrawingMode::eoFillStroke;
    const bool evenOdd = mode == PathDrawingMode::eoFill || mode == PathDrawingMode::eoFillStroke;
    const GraphicsState& s = d->state;
    Impl& impl = *d;
    d->perform(
        [&](cairo_t* cr, double alpha) {
            if (fills) {
                cairo_set_fill_rule(cr,
                                    evenOdd ? CAIRO_FILL_RULE_EVEN_ODD : CAIRO_FILL_RULE_WINDING);
                setSource(cr, s.fillColor, alpha);
                cairo_fill_preserve(cr);
            }
            if (strokes) {
                impl.applyStrokeSettings(cr);
                setSource(cr, s.strokeColor, alpha);
                cairo_stroke_preserve(cr);
            }
        },
        // Fill and stroke overlap; with a partial alpha they are composited as one.
        !(fills && strokes));
}

void GraphicsContext::fillRect(const Rect& r) {
    const Path path = Path::withRect(r);
    d->withTemporaryPath(&path, [&] { fillPath(); });
}

void GraphicsContext::strokeRect(const Rect& r) {
    const Path path = Path::withRect(r);
    d->withTemporaryPath(&path, [&] { strokePath(); });
}

void GraphicsContext::clearRect(const Rect& r) {
    if (!d->canDraw())
        return;
    const Path path = Path::withRect(r);
    d->withTemporaryPath(&path, [&] {
        cairo_save(d->cr);
        cairo_set_operator(d->cr, CAIRO_OPERATOR_CLEAR);
        cairo_set_fill_rule(d->cr, CAIRO_FILL_RULE_WINDING);
        cairo_fill(d->cr);
        cairo_restore(d->cr);
    });
}

void GraphicsContext::drawImage(const Rect& rect, const Image& image) {
    const double w = rect.size.width, h = rect.size.height;
    if (!d->canDraw() || !(w != 0) || !(h != 0) || !std::isfinite(w) || !std::isfinite(h) ||
        !std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y))
        return;

    // Cairo reads native pixels in place; other layouts are converted once for this call.
    ImagePtr converted;
    const Image* source = &image;
    if (!image.isNativeLayout() || image.bytesPerRow() % 4 != 0) {
        converted = image.nativeCopy();
        if (!converted)
            return;
        source = converted.get();
    }
    cairo_surface_t* surface = cairo_image_surface_create_for_data(
        const_cast<uint8_t*>(source->data()), CAIRO_FORMAT_ARGB32, source->width(),
        source->height(), static_cast<int>(source->bytesPerRow()));
    if (cairo_surface_status(surface) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(surface);
        return;
    }

    const cairo_filter_t filter = cairoFilter(d->state.interpolation);
    const double iw = source->width(), ih = source->height();
    d->withTemporaryPath(nullptr, [&] {
        d->perform(
            [&](cairo_t* cr, double alpha) {
                // Image rows run top to bottom: the first row goes to the top of the rectangle.
                cairo_save(cr);
                cairo_translate(cr, rect.origin.x, rect.origin.y + h);
                cairo_scale(cr, w / iw, -h / ih);
                cairo_set_source_surface(cr, surface, 0, 0);
                cairo_pattern_set_filter(cairo_get_source(cr), filter);
                cairo_pattern_set_extend(cairo_get_source(cr), CAIRO_EXTEND_PAD);
                cairo_rectangle(cr, 0, 0, iw, ih);
                cairo_clip(cr);
                cairo_paint_with_alpha(cr, alpha);
                cairo_restore(cr);
            },
            true);
    });
    cairo_surface_finish(surface);
    cairo_surface_destroy(surface);
}

void GraphicsContext::drawLinearGradient(const Gradient& gradient, Point start, Point end) {
    if (!d->canDraw() || gradient.colors.empty() || start == end ||
        !std::isfinite(start.x + start.y + end.x + end.y))
        return;
    // The gradient covers the clip; bound it by the clip so that its extent is finite.
    double x0, y0, x1, y1;
    cairo_clip_extents(d->cr, &x0, &y0, &x1, &y1);
    const Path area = Path::withRect({x0, y0, x1 - x0, y1 - y0});
    const std::size_t n = gradient.colors.size();
    d->withTemporaryPath(&area, [&] {
        d->perform(
            [&](cairo_t* cr, double alpha) {
                cairo_pattern_t* pattern =
                    cairo_pattern_create_linear(start.x, start.y, end.x, end.y);
                for (std::size_t i = 0; i < n; ++i) {
                    double offset = n == 1 ? 0 : static_cast<double>(i) / (n - 1);
                    if (i < gradient.locations.size())
                        offset = unit(gradient.locations[i]);
                    const Color& c = gradient.colors[i];
                    cairo_pattern_add_color_stop_rgba(pattern, offset, unit(c.red), unit(c.green),
                                                      unit(c.blue), unit(c.alpha) * alpha);
                }
                cairo_pattern_set_extend(pattern, CAIRO_EXTEND_NONE);
                cairo_set_source(cr, pattern);
                cairo_set_fill_rule(cr, CAIRO_FILL_RULE_WINDING);
                cairo_fill_preserve(cr);
                cairo_pattern_destroy(pattern);
            },
            true);
    });
}

// Clip

void GraphicsContext::clip() {
    if (d->canDraw()) {
        cairo_set_fill_rule(d->cr, CAIRO_FILL_RULE_WINDING);
        cairo_clip(d->cr);
    } else {
        cairo_new_path(d->cr);
    }
    d->hasPath = false;
}

void GraphicsContext::eoClip() {
    if (d->canDraw()) {
        cairo_set_fill_rule(d->cr, CAIRO_FILL_RULE_EVEN_ODD);
        cairo_clip(d->cr);
    } else {
        cairo_new_path(d->cr);
    }
    d->hasPath = false;
}

void GraphicsContext::clipToRect(const Rect& r) {
    if (!d->canDraw())
        return;
    const Path path = Path::withRect(r);
    d->withTemporaryPath(&path, [&] {
        cairo_set_fill_rule(d->cr, CAIRO_FILL_RULE_WINDING);
        cairo_clip(d->cr);
    });
}

Rect GraphicsContext::clipBoundingBox() const {
    if (!d->canDraw())
        return Rect::null();
    double x0, y0, x1, y1;
    cairo_clip_extents(d->cr, &x0, &y0, &x1, &y1);
    if (x1 <= x0 || y1 <= y0)
        return Rect::null();
    return Rect{x0, y0, x1 - x0, y1 - y0}.standardized();
}

// Transparency layers

void GraphicsContext::beginTransparencyLayer() {
    // The layer is composited as one operation with the alpha, shadow and blend mode in force
    // now; inside it those start afresh.
    saveGState();
    d->layers.push_back(d->saved.size());
    d->state.alpha = 1;
    d->state.shadowColor.reset();
    d->state.blendMode = BlendMode::normal;
    cairo_push_group(d->cr);
}

void GraphicsContext::endTransparencyLayer() {
    if (d->layers.empty())
        return;
    const std::size_t depth = d->layers.back();
    while (d->saved.size() > depth)
        d->restoreOne();
    cairo_pattern_t* group = cairo_pop_group(d->cr);
    d->layers.pop_back();
    d->restoreOne();

    cairo_matrix_t identity;
    cairo_matrix_init_identity(&identity);
    cairo_pattern_set_matrix(group, &identity);
    d->withTemporaryPath(nullptr, [&] {
        d->perform(
            [&](cairo_t* cr, double alpha) {
                cairo_save(cr);
                cairo_identity_matrix(cr);
                cairo_set_source(cr, group);
                cairo_paint_with_alpha(cr, alpha);
                cairo_restore(cr);
            },
            true);
    });
    cairo_pattern_destroy(group);
}

} // namespace ov
