#include "inkstead/platform/gfx/GraphicsContextImpl_p.h"

#include "inkstead/platform/gfx/ShadowBlur_p.h"

#include <algorithm>
#include <cmath>

namespace ov {
namespace {

cairo_rectangle_int_t intersect(const cairo_rectangle_int_t& a, const cairo_rectangle_int_t& b) {
    const int x0 = std::max(a.x, b.x), y0 = std::max(a.y, b.y);
    const int x1 = std::min(a.x + a.width, b.x + b.width);
    const int y1 = std::min(a.y + a.height, b.y + b.height);
    if (x1 <= x0 || y1 <= y0)
        return {0, 0, 0, 0};
    return {x0, y0, x1 - x0, y1 - y0};
}

cairo_rectangle_int_t expand(const cairo_rectangle_int_t& r, int by) {
    return {r.x - by, r.y - by, r.width + 2 * by, r.height + 2 * by};
}

bool isEmpty(const cairo_rectangle_int_t& r) {
    return r.width <= 0 || r.height <= 0;
}

// Integer device rectangle covering the given extents, limited to a sane range so that
// unbounded content cannot overflow the arithmetic below.
cairo_rectangle_int_t coveringRect(double x0, double y0, double x1, double y1) {
    constexpr double limit = 1 << 24;
    x0 = std::clamp(std::floor(x0), -limit, limit);
    y0 = std::clamp(std::floor(y0), -limit, limit);
    x1 = std::clamp(std::ceil(x1), -limit, limit);
    y1 = std::clamp(std::ceil(y1), -limit, limit);
    return {static_cast<int>(x0), static_cast<int>(y0), static_cast<int>(x1 - x0),
            static_cast<int>(y1 - y0)};
}

cairo_rectangle_int_t deviceClipRect(cairo_t* cr) {
    double x0, y0, x1, y1;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_clip_extents(cr, &x0, &y0, &x1, &y1);
    cairo_restore(cr);
    return coveringRect(x0, y0, x1, y1);
}

} // namespace

cairo_operator_t cairoOperator(BlendMode mode) {
    switch (mode) {
    case BlendMode::normal:
        return CAIRO_OPERATOR_OVER;
    case BlendMode::multiply:
        return CAIRO_OPERATOR_MULTIPLY;
    case BlendMode::screen:
        return CAIRO_OPERATOR_SCREEN;
    case BlendMode::overlay:
        return CAIRO_OPERATOR_OVERLAY;
    case BlendMode::darken:
        return CAIRO_OPERATOR_DARKEN;
    case BlendMode::lighten:
        return CAIRO_OPERATOR_LIGHTEN;
    case BlendMode::sourceIn:
        return CAIRO_OPERATOR_IN;
    case BlendMode::sourceAtop:
        return CAIRO_OPERATOR_ATOP;
    case BlendMode::destinationOver:
        return CAIRO_OPERATOR_DEST_OVER;
    case BlendMode::clear:
        return CAIRO_OPERATOR_CLEAR;
    case BlendMode::copy:
        return CAIRO_OPERATOR_SOURCE;
    }
    return CAIRO_OPERATOR_OVER;
}

GraphicsContext::Impl::~Impl() {
    releaseSurface();
}

void GraphicsContext::Impl::attachSurface() {
    surface =
        cairo_image_surface_create_for_data(buffer(), CAIRO_FORMAT_ARGB32, width, height, stride);
    cr = cairo_create(surface);
    applyTransform();
}

void GraphicsContext::Impl::releaseSurface() {
    if (cr)
        cairo_destroy(cr);
    if (surface) {
        cairo_surface_finish(surface);
        cairo_surface_destroy(surface);
    }
    cr = nullptr;
    surface = nullptr;
}

void GraphicsContext::Impl::applyTransform() {
    if (!cr)
        return;
    const AffineTransform& t = state.ctm;
    cairo_matrix_t user{t.a, t.b, t.c, t.d, t.tx, t.ty};
    cairo_matrix_t flip{1, 0, 0, -1, 0, static_cast<double>(height)};
    cairo_matrix_t device;
    cairo_matrix_multiply(&device, &user, &flip);
    cairo_matrix_t probe = device;
    const bool finite = std::isfinite(t.a) && std::isfinite(t.b) && std::isfinite(t.c) &&
                        std::isfinite(t.d) && std::isfinite(t.tx) && std::isfinite(t.ty);
    // Cairo refuses singular matrices for good (its error state is sticky), so a transform that
    // squashes the plane is remembered here and simply draws nothing.
    state.degenerate = !finite || cairo_matrix_invert(&probe) != CAIRO_STATUS_SUCCESS;
    if (!state.degenerate)
        cairo_set_matrix(cr, &device);
}

void GraphicsContext::Impl::applyStrokeSettings(cairo_t* target) const {
    // A stroke reaches half its width from the path. Once that exceeds the span of the canvas
    // and the path together, every canvas pixel it can cover is covered (dashes, caps and miters
    // included), so a wider one draws the same pixels; it would only make Cairo build pens and
    // joins of millions of vertices, for seconds or minutes, from one absurd width.
    double cx1, cy1, cx2, cy2, px1, py1, px2, py2;
    cairo_clip_extents(cr, &cx1, &cy1, &cx2, &cy2);
    cairo_path_extents(target, &px1, &py1, &px2, &py2);
    const double span = std::hypot(std::max(cx2, px2) - std::min(cx1, px1),
                                   std::max(cy2, py2) - std::min(cy1, py1));
    cairo_set_line_width(target, std::min(state.lineWidth, 2 * span + 2));
    cairo_set_line_cap(target, state.lineCap == LineCap::round    ? CAIRO_LINE_CAP_ROUND
                               : state.lineCap == LineCap::square ? CAIRO_LINE_CAP_SQUARE
                                                                  : CAIRO_LINE_CAP_BUTT);
    cairo_set_line_join(target, state.lineJoin == LineJoin::round   ? CAIRO_LINE_JOIN_ROUND
                                : state.lineJoin == LineJoin::bevel ? CAIRO_LINE_JOIN_BEVEL
                                                                    : CAIRO_LINE_JOIN_MITER);
    cairo_set_miter_limit(target, state.miterLimit);
    if (state.dashLengths.empty())
        cairo_set_dash(target, nullptr, 0, 0);
    else
        cairo_set_dash(target, state.dashLengths.data(), static_cast<int>(state.dashLengths.size()),
                       state.dashPhase);
}

void GraphicsContext::Impl::perform(const Painter& paint, bool paintAppliesAlpha) {
    if (!canDraw() || state.alpha <= 0) {
        if (cr)
            cairo_new_path(cr);
        hasPath = false;
        return;
    }
    cairo_set_operator(cr, cairoOperator(state.blendMode));

    // The common case goes straight to Cairo.
    if (!state.hasShadow() && (state.alpha >= 1 || paintAppliesAlpha)) {
        paint(cr, state.alpha);
        cairo_new_path(cr);
        hasPath = false;
        return;
    }

    // Otherwise record the operation once, then composite its shadow and the content itself.
    cairo_surface_t* content = cairo_recording_surface_create(CAIRO_CONTENT_COLOR_ALPHA, nullptr);
    cairo_t* rc = cairo_create(content);
    cairo_matrix_t matrix;
    cairo_get_matrix(cr, &matrix);
    cairo_set_matrix(rc, &matrix);
    cairo_path_t* path = cairo_copy_path(cr);
    cairo_append_path(rc, path);
    cairo_path_destroy(path);
    paint(rc, 1.0);
    cairo_destroy(rc);
    cairo_new_path(cr);
    hasPath = false;

    double ix, iy, iw, ih;
    cairo_recording_surface_ink_extents(content, &ix, &iy, &iw, &ih);
    const cairo_rectangle_int_t ink = coveringRect(ix, iy, ix + iw, iy + ih);
    if (!isEmpty(ink)) {
        if (state.hasShadow())
            drawShadow(content, ink);
        const cairo_rectangle_int_t visible = intersect(ink, deviceClipRect(cr));
        if (!isEmpty(visible)) {
            cairo_save(cr);
            cairo_identity_matrix(cr);
            cairo_rectangle(cr, visible.x, visible.y, visible.width, visible.height);
            cairo_clip(cr);
            cairo_set_source_surface(cr, content, 0, 0);
            cairo_paint_with_alpha(cr, state.alpha);
            cairo_restore(cr);
        }
    }
    cairo_surface_destroy(content);
}

void GraphicsContext::Impl::drawShadow(cairo_surface_t* content, const cairo_rectangle_int_t& ink) {
    // Offset and blur are in device pixels and unaffected by the transform; y is upward.
    const double sigma = std::max(0.0, state.shadowBlur) / 2;
    int reach = 0;
    if (sigma > 0)
        for (int r : detail::boxBlurRadii(sigma))
            reach += r;
    const double dx = state.shadowOffset.width;
    const double dy = -state.shadowOffset.height;
    if (!std::isfinite(dx) || !std::isfinite(dy) || std::fabs(dx) > (1 << 24) ||
        std::fabs(dy) > (1 << 24))
        return;
    const int idx = static_cast<int>(std::floor(dx)), idy = static_cast<int>(std::floor(dy));

    // Where the shadow can show: the blurred, offset content within the clip.
    cairo_rectangle_int_t shadowArea = expand(ink, reach + 1);
    shadowArea.x += idx;
    shadowArea.y += idy;
    shadowArea = intersect(shadowArea, deviceClipRect(cr));
    if (isEmpty(shadowArea))
        return;
    // The content that feeds it: that area moved back, plus the blur's reach, within the ink.
    cairo_rectangle_int_t source = expand(shadowArea, reach + 1);
    source.x -= idx;
    source.y -= idy;
    source = intersect(source, expand(ink, reach));
    if (isEmpty(source))
        return;

    cairo_surface_t* mask =
        cairo_image_surface_create(CAIRO_FORMAT_A8, source.width, source.height);
    if (cairo_surface_status(mask) != CAIRO_STATUS_SUCCESS) {
        cairo_surface_destroy(mask);
        return;
    }
    cairo_t* mc = cairo_create(mask);
    cairo_set_source_surface(mc, content, -source.x, -source.y);
    cairo_paint(mc);
    cairo_destroy(mc);
    cairo_surface_flush(mask);
    detail::blurMask(cairo_image_surface_get_data(mask), source.width, source.height,
                     cairo_image_surface_get_stride(mask), sigma);
    cairo_surface_mark_dirty(mask);

    const Color& c = *state.shadowColor;
    cairo_save(cr);
    cairo_identity_matrix(cr);
    cairo_rectangle(cr, shadowArea.x, shadowArea.y, shadowArea.width, shadowArea.height);
    cairo_clip(cr);
    cairo_set_source_rgba(cr, c.red, c.green, c.blue, std::clamp(c.alpha, 0.0, 1.0) * state.alpha);
    cairo_mask_surface(cr, mask, source.x + dx, source.y + dy);
    cairo_restore(cr);
    cairo_surface_destroy(mask);
}

void GraphicsContext::Impl::withTemporaryPath(const Path* path, const std::function<void()>& body) {
    cairo_path_t* previous = hasPath ? cairo_copy_path(cr) : nullptr;
    const bool hadPath = hasPath;
    cairo_new_path(cr);
    hasPath = false;
    if (path)
        appendPath(*path);
    body();
    cairo_new_path(cr);
    if (previous) {
        cairo_append_path(cr, previous);
        cairo_path_destroy(previous);
    }
    hasPath = hadPath;
}

void GraphicsContext::Impl::appendPath(const Path& path) {
    if (!canDraw())
        return;
    auto finite = [](Point p) { return std::isfinite(p.x) && std::isfinite(p.y); };
    for (const Path::Element& e : path.elements()) {
        switch (e.type) {
        case Path::ElementType::moveToPoint:
            if (finite(e.points[0]))
                cairo_move_to(cr, e.points[0].x, e.points[0].y);
            break;
        case Path::ElementType::addLineToPoint:
            if (finite(e.points[0]))
                cairo_line_to(cr, e.points[0].x, e.points[0].y);
            break;
        case Path::ElementType::addCurveToPoint:
            if (finite(e.points[0]) && finite(e.points[1]) && finite(e.points[2]))
                cairo_curve_to(cr, e.points[0].x, e.points[0].y, e.points[1].x, e.points[1].y,
                               e.points[2].x, e.points[2].y);
            break;
        case Path::ElementType::closeSubpath:
            cairo_close_path(cr);
            break;
        }
        hasPath = true;
    }
}

void GraphicsContext::Impl::restoreOne() {
    state = std::move(saved.back());
    saved.pop_back();
    if (cr)
        cairo_restore(cr);
    applyTransform();
}

} // namespace ov
