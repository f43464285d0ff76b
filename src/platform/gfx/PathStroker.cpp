#include "inkstead/platform/gfx/PathFlattening_p.h"

#include <algorithm>
#include <cmath>

namespace ov::detail {
namespace {

Point lerp(Point a, Point b, double t) {
    return {a.x + (b.x - a.x) * t, a.y + (b.y - a.y) * t};
}

double distance(Point a, Point b) {
    return std::hypot(b.x - a.x, b.y - a.y);
}

void appendCubic(std::vector<Point>& out, Point p0, Point c1, Point c2, Point p3) {
    // Enough segments that each is a few units long on the control polygon; bounded both ways.
    const double length = distance(p0, c1) + distance(c1, c2) + distance(c2, p3);
    const int segments = std::clamp(static_cast<int>(std::ceil(length / 2)), 8, 256);
    for (int i = 1; i <= segments; ++i) {
        const double t = static_cast<double>(i) / segments;
        const Point a = lerp(p0, c1, t), b = lerp(c1, c2, t), c = lerp(c2, p3, t);
        const Point d = lerp(a, b, t), e = lerp(b, c, t);
        out.push_back(lerp(d, e, t));
    }
}

double signedArea(const std::vector<Point>& poly) {
    double area = 0;
    for (std::size_t i = 0; i < poly.size(); ++i) {
        const Point a = poly[i], b = poly[(i + 1) % poly.size()];
        area += a.x * b.y - b.x * a.y;
    }
    return area / 2;
}

// Adds a closed polygon turning counter-clockwise, so that overlapping pieces add up under the
// non-zero rule instead of cancelling out.
void addPositivePolygon(Path& out, std::vector<Point> poly) {
    if (poly.size() < 3)
        return;
    if (signedArea(poly) < 0)
        std::reverse(poly.begin(), poly.end());
    out.moveTo(poly[0]);
    for (std::size_t i = 1; i < poly.size(); ++i)
        out.addLineTo(poly[i]);
    out.closeSubpath();
}

void addDisc(Path& out, Point center, double radius) {
    out.addEllipseInRect({center.x - radius, center.y - radius, 2 * radius, 2 * radius});
}

Point normal(Point a, Point b, double halfWidth) {
    const double len = distance(a, b);
    return {-(b.y - a.y) / len * halfWidth, (b.x - a.x) / len * halfWidth};
}

void addJoin(Path& out, Point prev, Point at, Point next, double halfWidth, LineJoin join,
             double miterLimit) {
    if (join == LineJoin::round) {
        addDisc(out, at, halfWidth);
        return;
    }
    const Point n0 = normal(prev, at, halfWidth);
    const Point n1 = normal(at, next, halfWidth);
    const double cross = (at.x - prev.x) * (next.y - at.y) - (at.y - prev.y) * (next.x - at.x);
    if (cross == 0)
        return;
    // The outer side of the turn is opposite to the turning direction.
    const double side = cross > 0 ? -1 : 1;
    const Point o0{at.x + side * n0.x, at.y + side * n0.y};
    const Point o1{at.x + side * n1.x, at.y + side * n1.y};
    if (join == LineJoin::miter) {
        const double cosTheta = (n0.x * n1.x + n0.y * n1.y) / (halfWidth * halfWidth);
        const double miterRatio = 1 / std::sqrt(std::max((1 + cosTheta) / 2, 1e-12));
        if (miterRatio <= miterLimit) {
            const Point mid{(n0.x + n1.x) / 2, (n0.y + n1.y) / 2};
            const double midLen = std::hypot(mid.x, mid.y);
            const double tipLen = halfWidth * miterRatio;
            const Point tip{at.x + side * mid.x / midLen * tipLen,
                            at.y + side * mid.y / midLen * tipLen};
            addPositivePolygon(out, {at, o0, tip, o1});
            return;
        }
    }
    addPositivePolygon(out, {at, o0, o1});
}

void addCap(Path& out, Point end, Point inward, double halfWidth, LineCap cap) {
    if (cap == LineCap::round) {
        addDisc(out, end, halfWidth);
    } else if (cap == LineCap::square) {
        const double len = distance(end, inward);
        const Point dir{(end.x - inward.x) / len * halfWidth, (end.y - inward.y) / len * halfWidth};
        const Point n{-dir.y, dir.x};
        const Point far{end.x + dir.x, end.y + dir.y};
        addPositivePolygon(out, {{end.x + n.x, end.y + n.y},
                                 {far.x + n.x, far.y + n.y},
                                 {far.x - n.x, far.y - n.y},
                                 {end.x - n.x, end.y - n.y}});
    }
}

} // namespace

std::vector<Polyline> flatten(const Path& path) {
    std::vector<Polyline> result;
    Point current{0, 0};
    Point subpathStart{0, 0};
    bool open = false;
    auto ensureOpen = [&] {
        if (!open) {
            result.push_back({{current}, false});
            subpathStart = current;
            open = true;
        }
    };
    for (const Path::Element& e : path.elements()) {
        switch (e.type) {
        case Path::ElementType::moveToPoint:
            current = e.points[0];
            result.push_back({{current}, false});
            subpathStart = current;
            open = true;
            break;
        case Path::ElementType::addLineToPoint:
            ensureOpen();
            current = e.points[0];
            result.back().points.push_back(current);
            break;
        case Path::ElementType::addCurveToPoint:
            ensureOpen();
            appendCubic(result.back().points, current, e.points[0], e.points[1], e.points[2]);
            current = e.points[2];
            break;
        case Path::ElementType::closeSubpath:
            if (open)
                result.back().closed = true;
            current = subpathStart;
            open = false;
            break;
        }
    }
    return result;
}

Path strokeOutline(const Path& path, double width, LineCap cap, LineJoin join, double miterLimit) {
    Path out;
    const double halfWidth = std::fabs(width) / 2;
    if (!(halfWidth > 0) || !std::isfinite(halfWidth))
        return out;

    for (Polyline poly : flatten(path)) {
        // Drop repeated points: they have no direction.
        std::vector<Point> pts;
        for (const Point& p : poly.points)
            if (pts.empty() || distance(pts.back(), p) > 1e-9)
                pts.push_back(p);
        if (poly.closed && pts.size() > 2 && distance(pts.front(), pts.back()) <= 1e-9)
            pts.pop_back();

        if (pts.size() == 1) {
            // A zero-length subpath shows only as a round or square dot.
            if (cap == LineCap::round)
                addDisc(out, pts[0], halfWidth);
            else if (cap == LineCap::square)
                out.addRect(
                    {pts[0].x - halfWidth, pts[0].y - halfWidth, 2 * halfWidth, 2 * halfWidth});
            continue;
        }

        const bool closed = poly.closed && pts.size() > 2;
        const std::size_t n = pts.size();
        const std::size_t segments = closed ? n : n - 1;
        for (std::size_t i = 0; i < segments; ++i) {
            const Point a = pts[i], b = pts[(i + 1) % n];
            const Point nv = normal(a, b, halfWidth);
            addPositivePolygon(out, {{a.x + nv.x, a.y + nv.y},
                                     {b.x + nv.x, b.y + nv.y},
                                     {b.x - nv.x, b.y - nv.y},
                                     {a.x - nv.x, a.y - nv.y}});
        }
        for (std::size_t i = closed ? 0 : 1; i < (closed ? n : n - 1); ++i)
            addJoin(out, pts[(i + n - 1) % n], pts[i], pts[(i + 1) % n], halfWidth, join,
                    miterLimit);
        if (!closed) {
            addCap(out, pts.front(), pts[1], halfWidth, cap);
            addCap(out, pts.back(), pts[n - 2], halfWidth, cap);
        }
    }
    return out;
}

} // namespace ov::detail
