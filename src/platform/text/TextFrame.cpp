#include "inkstead/platform/gfx/GraphicsContext_p.h"
#include "inkstead/platform/text/TextThread_p.h"
#include "inkstead/platform/text/Typesetter.h"

#include <pango/pangocairo.h>

#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>
#include <vector>

namespace ov {

namespace {

constexpr double kMaxGlyphPixels = 65535;

struct PlacedLine {
    PangoLayoutLine* line;
    double x;           // left end, layout units (y down from the top of the frame)
    double baseline;    // layout units
    PangoRectangle ink; // layout units, relative to the layout's top-left corner
};

// The layout of `string` as a frame in `rect` and the lines of it that fit: the lines that
// drawFrame() draws. Null (and no lines) when nothing would be drawn.
struct FrameLayout {
    PangoLayout* layout = nullptr;
    double scale = 0; // user units per layout unit
    std::vector<PlacedLine> lines;

    FrameLayout(const AttributedString& string, const Rect& rect) {
        const double size = string.font() ? string.font()->pointSize() : Font().pointSize();
        if (!(size > 0) || !std::isfinite(size))
            return;
        if (!std::isfinite(rect.origin.x) || !std::isfinite(rect.origin.y) ||
            !std::isfinite(rect.size.width) || !std::isfinite(rect.size.height))
            return;
        if (string.length() == 0 || rect.size.height <= 0)
            return;

        const auto face = detail::resolveFace(string.font() ? string.font()->fontName() : "");
        layout = detail::createReferenceLayout(string.string(), *face);

        // The layout is made at the reference size and scaled into place, so drawn lines break
        // where the typesetter's measurements say they do, at any size.
        scale = size / detail::kReferenceFontSize;
        const double wrapWidth = std::max(0.0, rect.size.width / scale * PANGO_SCALE);
        pango_layout_set_width(layout, wrapWidth >= INT_MAX / 2 ? -1 : static_cast<int>(wrapWidth));
        pango_layout_set_wrap(layout, PANGO_WRAP_WORD_CHAR);

        PangoLayoutIter* iter = pango_layout_get_iter(layout);
        do {
            PangoRectangle ink{}, logical{};
            pango_layout_iter_get_line_extents(iter, &ink, &logical);
            const double bottom = (logical.y + logical.height) / double(PANGO_SCALE) * scale;
            // A small tolerance for the scaling, so a frame made exactly as tall as its line
            // keeps it.
            if (bottom > rect.size.height * (1 + 1e-9) + 1e-9)
                break;
            lines.push_back({pango_layout_iter_get_line_readonly(iter),
                             logical.x / double(PANGO_SCALE),
                             pango_layout_iter_get_baseline(iter) / double(PANGO_SCALE), ink});
        } while (pango_layout_iter_next_line(iter));
        pango_layout_iter_free(iter);
    }
    ~FrameLayout() {
        if (layout)
            g_object_unref(layout);
    }
    FrameLayout(const FrameLayout&) = delete;
    FrameLayout& operator=(const FrameLayout&) = delete;
};

} // namespace

namespace {

// Fills the glyphs of the frame, or strokes their outlines `strokeWidth` user units wide.
void paintFrame(GraphicsContext& context, const AttributedString& string, const Rect& rect,
                std::optional<double> strokeWidth) {
    const FrameLayout frame(string, rect);
    if (frame.lines.empty())
        return;
    const double scale = frame.scale;
    const Color color = string.foregroundColor().value_or(Color::black());
    const AffineTransform m = context.textMatrix();
    detail::drawOperation(context, [&](cairo_t* cr) {
        // From the y-up user space to layout space: origin at the top-left corner, y down.
        cairo_translate(cr, rect.origin.x, rect.origin.y + rect.size.height);
        cairo_scale(cr, scale, -scale);
        cairo_set_source_rgba(cr, color.red, color.green, color.blue, color.alpha);
        if (strokeWidth) {
            // In the layout space the glyphs are set in, where one unit is 1 / scale.
            cairo_set_line_width(cr, *strokeWidth / scale);
            cairo_set_line_join(cr, CAIRO_LINE_JOIN_ROUND);
            cairo_set_line_cap(cr, CAIRO_LINE_CAP_ROUND);
        }
        // The text matrix acts on glyphs in the y-up text space; conjugated into y-down.
        cairo_matrix_t textMatrix;
        cairo_matrix_init(&textMatrix, m.a, -m.b, -m.c, m.d, m.tx, -m.ty);
        // The font engine refuses glyphs of more than 16-bit pixel sizes, and Cairo leaks the
        // font it was making when that happens. Only damaged sizes get there, and such glyphs
        // could not be drawn anyway.
        cairo_matrix_t glyphs;
        cairo_get_matrix(cr, &glyphs);
        cairo_matrix_multiply(&glyphs, &textMatrix, &glyphs);
        const double em = detail::kReferenceFontSize *
                          std::max(std::hypot(glyphs.xx, glyphs.yx), std::hypot(glyphs.xy, glyphs.yy));
        if (!(em <= kMaxGlyphPixels))
            return;
        for (const PlacedLine& placed : frame.lines) {
            cairo_save(cr);
            cairo_translate(cr, placed.x, placed.baseline);
            cairo_transform(cr, &textMatrix);
            cairo_move_to(cr, 0, 0);
            if (strokeWidth) {
                pango_cairo_layout_line_path(cr, placed.line);
                cairo_restore(cr);
                cairo_stroke(cr);
                continue;
            }
            pango_cairo_show_layout_line(cr, placed.line);
            cairo_restore(cr);
        }
    });
}

} // namespace

void drawFrame(GraphicsContext& context, const AttributedString& string, const Rect& rect) {
    paintFrame(context, string, rect, std::nullopt);
}

void strokeFrame(GraphicsContext& context, const AttributedString& string, const Rect& rect,
                 double lineWidth) {
    if (!(lineWidth > 0) || !std::isfinite(lineWidth))
        return;
    paintFrame(context, string, rect, lineWidth);
}

std::optional<Rect> frameInkBounds(const AttributedString& string, const Rect& rect) {
    const FrameLayout frame(string, rect);
    std::optional<Rect> united;
    for (const PlacedLine& placed : frame.lines) {
        if (placed.ink.width <= 0 || placed.ink.height <= 0)
            continue;
        const double s = frame.scale / PANGO_SCALE;
        // Layout space has y down from the frame's top; the result is y up.
        const Rect ink{rect.origin.x + placed.ink.x * s,
                       rect.origin.y + rect.size.height - (placed.ink.y + placed.ink.height) * s,
                       placed.ink.width * s, placed.ink.height * s};
        united = united ? united->united(ink) : ink;
    }
    return united;
}

} // namespace ov
