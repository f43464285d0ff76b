// The icons of the host's buttons, drawn with paths in the y-up space of each icon's own size.
//
// The "add" icons share one layout: the kind's glyph in a box some 15 points square at the left
// and a small plus at the right, so that a row of them reads "add a circle", "add a text", ...

#include "inkstead/appearance/OVStyleKit.h"

#include "inkstead/geometry/OVRoundedRect.h"
#include "inkstead/platform/gfx/Path.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numbers>

namespace {

using ov::Color;
using ov::GraphicsContext;
using ov::Path;
using ov::Point;
using ov::Rect;
using Icon = OVStyleKit::Icon;

// Light greys of the plain icons: glyphs, and the plus of the "add" icons a step darker.
constexpr Color kGlyphGrey{0.80, 0.80, 0.80, 1};
constexpr Color kBadgeGrey{0.62, 0.62, 0.62, 1};
// Glyphs on the toolbar buttons, which are filled with titlebarGradientColor.
constexpr Color kToolbarGlyph{0.88, 0.88, 0.88, 1};

// Arc of `radius` around `c` from angle a0 to a1 (radians, counter-clockwise), starting a new
// subpath at a0.
Path arc(Point c, double radius, double a0, double a1) {
    Path p;
    const int pieces =
        std::max(1, static_cast<int>(std::ceil(std::abs(a1 - a0) / (std::numbers::pi / 2))));
    const double step = (a1 - a0) / pieces;
    const double k = 4.0 / 3.0 * std::tan(step / 4) * radius;
    auto at = [&](double a) {
        return Point{c.x + radius * std::cos(a), c.y + radius * std::sin(a)};
    };
    p.moveTo(at(a0));
    for (int i = 0; i < pieces; ++i) {
        const double s = a0 + step * i, e = s + step;
        const Point ps = at(s), pe = at(e);
        p.addCurveTo({ps.x - k * std::sin(s), ps.y + k * std::cos(s)},
                     {pe.x + k * std::sin(e), pe.y - k * std::cos(e)}, pe);
    }
    return p;
}

Path polyline(std::initializer_list<Point> points) {
    Path p;
    bool first = true;
    for (const Point& pt : points) {
        if (first)
            p.moveTo(pt);
        else
            p.addLineTo(pt);
        first = false;
    }
    return p;
}

Path polygon(std::initializer_list<Point> points) {
    Path p = polyline(points);
    p.closeSubpath();
    return p;
}

void fill(GraphicsContext& ctx, const Path& path, const Color& color) {
    ctx.saveGState();
    ctx.setFillColor(color);
    ctx.beginPath();
    ctx.addPath(path);
    ctx.fillPath();
    ctx.restoreGState();
}

void stroke(GraphicsContext& ctx, const Path& path, const Color& color, double width,
            ov::LineCap cap = ov::LineCap::round) {
    ctx.saveGState();
    ctx.setStrokeColor(color);
    ctx.setLineWidth(width);
    ctx.setLineCap(cap);
    ctx.setLineJoin(ov::LineJoin::round);
    ctx.beginPath();
    ctx.addPath(path);
    ctx.strokePath();
    ctx.restoreGState();
}

//! Glyphs of the "add" icons, each inside the box (1.4, 0.9)…(16.6, 16.1).

void imageGlyph(GraphicsContext& ctx, const Color& ink) {
    stroke(ctx, OVRoundedRectPath({2.2, 2.2, 13.6, 12.6}, 1.6), ink, 1.4);
    fill(ctx, polygon({{3.6, 3.6}, {7.3, 9.4}, {9.6, 6.2}, {11.3, 8.2}, {14.4, 3.6}}), ink);
    fill(ctx, Path::withEllipseInRect({10.3, 10.0, 2.8, 2.8}), ink);
}

void circleGlyph(GraphicsContext& ctx, const Color& ink) {
    stroke(ctx, Path::withEllipseInRect({2.2, 1.7, 13.6, 13.6}), ink, 1.6);
}

void textGlyph(GraphicsContext& ctx, const Color& ink) {
    Path t;
    t.addRect({3.0, 12.3, 12.0, 2.6}); // bar
    t.addRect({7.7, 2.0, 2.6, 10.5});  // stem
    t.addRect({6.2, 2.0, 5.6, 1.4});   // foot
    fill(ctx, t, ink);
}

void strikeGlyph(GraphicsContext& ctx, const Color& ink) {
    stroke(ctx, OVRoundedRectPath({2.2, 2.2, 13.6, 12.6}, 1.6), ink, 1.1);
    Path cross = polyline({{4.2, 4.2}, {13.8, 12.8}});
    cross.addPath(polyline({{4.2, 12.8}, {13.8, 4.2}}));
    stroke(ctx, cross, ink, 1.5);
}

void arrowGlyph(GraphicsContext& ctx, const Color& ink) {
    const Point tip{15.2, 15.0};
    const double r2 = std::numbers::sqrt2 / 2;
    const Point base{tip.x - 5.6 * r2, tip.y - 5.6 * r2};
    stroke(ctx, polyline({{3.0, 2.8}, {base.x + 0.6, base.y + 0.6}}), ink, 1.7);
    fill(ctx,
         polygon(
             {tip, {base.x - 3.1 * r2, base.y + 3.1 * r2}, {base.x + 3.1 * r2, base.y - 3.1 * r2}}),
         ink);
}

void squareGlyph(GraphicsContext& ctx, const Color& ink) {
    stroke(ctx, Path::withRect({2.5, 2.0, 13.0, 13.0}), ink, 1.6, ov::LineCap::square);
}

void pixellatedGlyph(GraphicsContext& ctx, const Color& ink) {
    // A 3 × 3 mosaic whose tiles differ in strength, as a pixellated patch of a photograph does.
    constexpr std::array<double, 9> strength{1.0, 0.5, 0.78, 0.42, 0.9, 0.6, 0.72, 0.35, 1.0};
    constexpr double tile = 4.2, gap = 0.5, x0 = 2.3, y0 = 2.0;
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 3; ++col) {
            Color c = ink;
            c.alpha *= strength[row * 3 + col];
            fill(ctx,
                 Path::withRect({x0 + col * (tile + gap), y0 + row * (tile + gap), tile, tile}), c);
        }
    }
}

void addIcon(GraphicsContext& ctx, double width, void (*glyph)(GraphicsContext&, const Color&),
             bool highlighted) {
    const Color& ink = highlighted ? OVStyleKit::highlightControlColor() : kGlyphGrey;
    const Color& badge = highlighted ? OVStyleKit::highlightControlColor() : kBadgeGrey;
    glyph(ctx, ink);
    const Point c{width - 6.0, 8.5};
    Path plus = polyline({{c.x - 3.3, c.y}, {c.x + 3.3, c.y}});
    plus.addPath(polyline({{c.x, c.y - 3.3}, {c.x, c.y + 3.3}}));
    stroke(ctx, plus, badge, 1.5, ov::LineCap::butt);
}

//! Toolbar buttons (43 × 22): a rounded body in titlebarGradientColor with a light glyph.

void toolbarBody(GraphicsContext& ctx) {
    const Path body = OVRoundedRectPath({0.5, 0.5, 42.0, 21.0}, 4.0);
    fill(ctx, body, OVStyleKit::titlebarGradientColor());
    stroke(ctx, body, OVStyleKit::shadowWithLevel(OVStyleKit::titlebarGradientColor(), 0.45), 1.0);
}

void openButton(GraphicsContext& ctx) {
    toolbarBody(ctx);
    // A folder whose front flap leans open.
    Path back = OVRoundedRectPath({13.5, 5.0, 15.0, 10.0}, 1.2);
    back.addPath(OVRoundedRectPath({13.5, 13.0, 6.5, 3.6}, 1.2));
    fill(ctx, back, kToolbarGlyph);
    fill(ctx, polygon({{13.5, 5.0}, {28.5, 5.0}, {30.5, 11.5}, {15.8, 11.5}}),
         OVStyleKit::titlebarGradientColor());
    stroke(ctx, polygon({{13.5, 5.0}, {28.5, 5.0}, {30.5, 11.5}, {15.8, 11.5}}), kToolbarGlyph,
           1.2);
}

void trayWithArrow(GraphicsContext& ctx, bool up) {
    toolbarBody(ctx);
    stroke(ctx, polyline({{15.5, 11.0}, {15.5, 4.5}, {27.5, 4.5}, {27.5, 11.0}}), kToolbarGlyph,
           1.5);
    const double x = 21.5;
    if (up) {
        stroke(ctx, polyline({{x, 7.5}, {x, 17.2}}), kToolbarGlyph, 1.5);
        stroke(ctx, polyline({{x - 3.2, 14.0}, {x, 17.2}, {x + 3.2, 14.0}}), kToolbarGlyph, 1.5);
    } else {
        stroke(ctx, polyline({{x, 17.5}, {x, 7.8}}), kToolbarGlyph, 1.5);
        stroke(ctx, polyline({{x - 3.2, 11.0}, {x, 7.8}, {x + 3.2, 11.0}}), kToolbarGlyph, 1.5);
    }
}

//! Preset list buttons.

void presetPopover(GraphicsContext& ctx, bool alternate) {
    const Path body = OVRoundedRectPath({1.0, 1.0, 15.0, 15.0}, 3.0);
    const Color lines = alternate ? ov::Color::white() : kGlyphGrey;
    if (alternate)
        fill(ctx, body, OVStyleKit::highlightControlColor());
    else
        stroke(ctx, body, kGlyphGrey, 1.2);
    for (double y : {5.0, 8.5, 12.0}) {
        fill(ctx, Path::withEllipseInRect({4.0, y - 0.9, 1.8, 1.8}), lines);
        stroke(ctx, polyline({{7.3, y}, {12.8, y}}), lines, 1.4);
    }
}

void presetDuplicate(GraphicsContext& ctx) {
    stroke(ctx, OVRoundedRectPath({0.6, 0.6, 6.2, 6.2}, 1.0), kGlyphGrey, 1.1);
    fill(ctx, OVRoundedRectPath({3.4, 3.4, 6.2, 6.2}, 1.0), kGlyphGrey);
}

void presetAddOrRemove(GraphicsContext& ctx, bool add) {
    Path p = polyline({{1.0, 5.0}, {9.0, 5.0}});
    if (add)
        p.addPath(polyline({{5.0, 1.0}, {5.0, 9.0}}));
    stroke(ctx, p, kGlyphGrey, 1.6, ov::LineCap::butt);
}

void fileinfoTemplate(GraphicsContext& ctx) {
    stroke(ctx, Path::withEllipseInRect({0.6, 0.6, 9.8, 9.8}), kGlyphGrey, 1.0);
    fill(ctx, Path::withEllipseInRect({4.7, 7.1, 1.6, 1.6}), kGlyphGrey);
    fill(ctx, Path::withRect({4.8, 2.4, 1.4, 4.0}), kGlyphGrey);
}

void insertCopyright(GraphicsContext& ctx) {
    const double pi = std::numbers::pi;
    stroke(ctx, Path::withEllipseInRect({2.0, 2.0, 28.0, 28.0}), kGlyphGrey, 2.2);
    stroke(ctx, arc({16.0, 16.0}, 7.0, pi / 4, 2 * pi - pi / 4), kGlyphGrey, 2.6,
           ov::LineCap::butt);
}

void popupButton(GraphicsContext& ctx) {
    fill(ctx, OVRoundedRectPath({0.0, 2.0, 167.0, 22.0}, 2.0), OVStyleKit::presetVCBackgroundColor());
    fill(ctx, polygon({{151.5, 11.5}, {155.25, 15.5}, {159.0, 11.5}}), ov::Color::black());
}

struct IconEntry {
    Icon icon;
    std::string_view name;
    ov::Size size;
};

constexpr std::array kIcons{
    IconEntry{Icon::openButton, "openButton", {43, 22}},
    IconEntry{Icon::shareButton, "shareButton", {43, 22}},
    IconEntry{Icon::saveButton, "saveButton", {43, 22}},
    IconEntry{Icon::presetPopoverButton, "presetPopoverButton", {17, 17}},
    IconEntry{Icon::alternatePresetPopoverButton, "alternatePresetPopoverButton", {17, 17}},
    IconEntry{Icon::addImageWatermarkButton, "addImageWatermarkButton", {28, 17}},
    IconEntry{Icon::addCircleWatermarkButton, "addCircleWatermarkButton", {28, 17}},
    IconEntry{Icon::addTextWatermarkButton, "addTextWatermarkButton", {28, 17}},
    IconEntry{Icon::addStrikeWatermarkButton, "addStrikeWatermarkButton", {28, 17}},
    IconEntry{Icon::addArrowWatermarkButton, "addArrowWatermarkButton", {29, 17}},
    IconEntry{Icon::addSquareWatermarkButton, "addSquareWatermarkButton", {29, 17}},
    IconEntry{Icon::addPixellatedWatermarkButton, "addPixellatedWatermarkButton", {29, 17}},
    IconEntry{
        Icon::addImageWatermarkButtonHighlighted, "addImageWatermarkButtonHighlighted", {28, 17}},
    IconEntry{
        Icon::addCircleWatermarkButtonHighlighted, "addCircleWatermarkButtonHighlighted", {28, 17}},
    IconEntry{
        Icon::addTextWatermarkButtonHighlighted, "addTextWatermarkButtonHighlighted", {28, 17}},
    IconEntry{
        Icon::addStrikeWatermarkButtonHighlighted, "addStrikeWatermarkButtonHighlighted", {28, 17}},
    IconEntry{
        Icon::addArrowWatermarkButtonHighlighted, "addArrowWatermarkButtonHighlighted", {29, 17}},
    IconEntry{
        Icon::addSquareWatermarkButtonHighlighted, "addSquareWatermarkButtonHighlighted", {29, 17}},
    IconEntry{Icon::addPixellatedWatermarkButtonHighlighted,
              "addPixellatedWatermarkButtonHighlighted",
              {29, 17}},
    IconEntry{Icon::presetDuplicateButton, "presetDuplicateButton", {10, 10}},
    IconEntry{Icon::presetAddButton, "presetAddButton", {10, 10}},
    IconEntry{Icon::presetRemoveButton, "presetRemoveButton", {10, 10}},
    IconEntry{Icon::fileinfoTemplateButton, "fileinfoTemplateButton", {11, 11}},
    IconEntry{Icon::insertCopyrightSymbol, "insertCopyrightSymbol", {32, 32}},
    IconEntry{Icon::popupButton, "popupButton", {167, 24}},
};

const IconEntry& entry(Icon icon) {
    return kIcons[static_cast<std::size_t>(icon)];
}

constexpr bool entriesFollowTheEnum() {
    for (std::size_t i = 0; i < kIcons.size(); ++i)
        if (static_cast<std::size_t>(kIcons[i].icon) != i)
            return false;
    return true;
}
static_assert(entriesFollowTheEnum(), "kIcons lists the icons in the order of OVStyleKit::Icon");

constexpr std::array<Icon, kIcons.size()> iconList() {
    std::array<Icon, kIcons.size()> list{};
    for (std::size_t i = 0; i < kIcons.size(); ++i)
        list[i] = kIcons[i].icon;
    return list;
}
constexpr std::array kIconList = iconList();

} // namespace

std::span<const Icon> OVStyleKit::allIcons() {
    return kIconList;
}

std::string_view OVStyleKit::name(Icon icon) {
    return entry(icon).name;
}

ov::Size OVStyleKit::size(Icon icon) {
    return entry(icon).size;
}

void OVStyleKit::draw(Icon icon, GraphicsContext& ctx) {
    const double width = entry(icon).size.width;
    ctx.saveGState();
    switch (icon) {
    case Icon::openButton:
        openButton(ctx);
        break;
    case Icon::shareButton:
        trayWithArrow(ctx, true);
        break;
    case Icon::saveButton:
        trayWithArrow(ctx, false);
        break;
    case Icon::presetPopoverButton:
        presetPopover(ctx, false);
        break;
    case Icon::alternatePresetPopoverButton:
        presetPopover(ctx, true);
        break;
    case Icon::addImageWatermarkButton:
        addIcon(ctx, width, imageGlyph, false);
        break;
    case Icon::addCircleWatermarkButton:
        addIcon(ctx, width, circleGlyph, false);
        break;
    case Icon::addTextWatermarkButton:
        addIcon(ctx, width, textGlyph, false);
        break;
    case Icon::addStrikeWatermarkButton:
        addIcon(ctx, width, strikeGlyph, false);
        break;
    case Icon::addArrowWatermarkButton:
        addIcon(ctx, width, arrowGlyph, false);
        break;
    case Icon::addSquareWatermarkButton:
        addIcon(ctx, width, squareGlyph, false);
        break;
    case Icon::addPixellatedWatermarkButton:
        addIcon(ctx, width, pixellatedGlyph, false);
        break;
    case Icon::addImageWatermarkButtonHighlighted:
        addIcon(ctx, width, imageGlyph, true);
        break;
    case Icon::addCircleWatermarkButtonHighlighted:
        addIcon(ctx, width, circleGlyph, true);
        break;
    case Icon::addTextWatermarkButtonHighlighted:
        addIcon(ctx, width, textGlyph, true);
        break;
    case Icon::addStrikeWatermarkButtonHighlighted:
        addIcon(ctx, width, strikeGlyph, true);
        break;
    case Icon::addArrowWatermarkButtonHighlighted:
        addIcon(ctx, width, arrowGlyph, true);
        break;
    case Icon::addSquareWatermarkButtonHighlighted:
        addIcon(ctx, width, squareGlyph, true);
        break;
    case Icon::addPixellatedWatermarkButtonHighlighted:
        addIcon(ctx, width, pixellatedGlyph, true);
        break;
    case Icon::presetDuplicateButton:
        presetDuplicate(ctx);
        break;
    case Icon::presetAddButton:
        presetAddOrRemove(ctx, true);
        break;
    case Icon::presetRemoveButton:
        presetAddOrRemove(ctx, false);
        break;
    case Icon::fileinfoTemplateButton:
        fileinfoTemplate(ctx);
        break;
    case Icon::insertCopyrightSymbol:
        insertCopyright(ctx);
        break;
    case Icon::popupButton:
        popupButton(ctx);
        break;
    }
    ctx.restoreGState();
}
