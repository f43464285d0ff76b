#include "inkstead/platform/gfx/Path.h"

#include "inkstead/platform/gfx/PathFlattening_p.h"

#include <algorithm>

namespace ov {
namespace {

// Control-point distance of a cubic arc approximating a quarter ellipse.
constexpr double kKappa = 0.5522847498307936;

int pointCount(Path::ElementType type) {
    switch (type) {
    case Path::ElementType::moveToPoint:
    case Path::ElementType::addLineToPoint:
        return 1;
    case Path::ElementType::addCurveToPoint:
        return 3;
    case Path::ElementType::closeSubpath:
        return 0;
    }
    return 0;
}

} // namespace

Path Path::withRect(const Rect& r) {
    Path p;
    p.addRect(r);
    return p;
}

Path Path::withEllipseInRect(const Rect& r) {
    Path p;
    p.addEllipseInRect(r);
    return p;
}

void Path::moveTo(Point p) {
    elements_.push_back({ElementType::moveToPoint, {p}});
}

void Path::addLineTo(Point p) {
    elements_.push_back({ElementType::addLineToPoint, {p}});
}

void Path::addCurveTo(Point control1, Point control2, Point end) {
    elements_.push_back({ElementType::addCurveToPoint, {control1, control2, end}});
}

void Path::closeSubpath() {
    elements_.push_back({ElementType::closeSubpath, {}});
}

void Path::addRect(const Rect& r) {
    const double x = r.origin.x, y = r.origin.y, w = r.size.width, h = r.size.height;
    moveTo({x, y});
    addLineTo({x + w, y});
    addLineTo({x + w, y + h});
    addLineTo({x, y + h});
    closeSubpath();
}

void Path::addEllipseInRect(const Rect& r) {
    const Rect s = r.standardized();
    const double cx = s.midX(), cy = s.midY();
    const double rx = s.width() / 2, ry = s.height() / 2;
    const double kx = rx * kKappa, ky = ry * kKappa;
    // Counter-clockwise from the rightmost point.
    moveTo({cx + rx, cy});
    addCurveTo({cx + rx, cy + ky}, {cx + kx, cy + ry}, {cx, cy + ry});
    addCurveTo({cx - kx, cy + ry}, {cx - rx, cy + ky}, {cx - rx, cy});
    addCurveTo({cx - rx, cy - ky}, {cx - kx, cy - ry}, {cx, cy - ry});
    addCurveTo({cx + kx, cy - ry}, {cx + rx, cy - ky}, {cx + rx, cy});
    closeSubpath();
}

void Path::addPath(const Path& other) {
    elements_.insert(elements_.end(), other.elements_.begin(), other.elements_.end());
}

Rect Path::boundingBox() const {
    bool any = false;
    double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    for (const Element& e : elements_) {
        for (int i = 0; i < pointCount(e.type); ++i) {
            const Point p = e.points[i];
            if (!any) {
                x0 = x1 = p.x;
                y0 = y1 = p.y;
                any = true;
                continue;
            }
            x0 = std::min(x0, p.x);
            x1 = std::max(x1, p.x);
            y0 = std::min(y0, p.y);
            y1 = std::max(y1, p.y);
        }
    }
    return any ? Rect{x0, y0, x1 - x0, y1 - y0} : Rect::null();
}

bool Path::containsPoint(Point p, bool evenOdd) const {
    // Winding number of the flattened outline, every subpath closed implicitly as a fill does.
    int winding = 0;
    int crossings = 0;
    for (const detail::Polyline& poly : detail::flatten(*this)) {
        const std::size_t n = poly.points.size();
        if (n < 2)
            continue;
        for (std::size_t i = 0; i < n; ++i) {
            const Point a = poly.points[i];
            const Point b = poly.points[(i + 1) % n];
            if ((a.y <= p.y) == (b.y <= p.y))
                continue;
            const double t = (p.y - a.y) / (b.y - a.y);
            const double x = a.x + t * (b.x - a.x);
            if (x > p.x) {
                winding += b.y > a.y ? 1 : -1;
                ++crossings;
            }
        }
    }
    return evenOdd ? (crossings % 2) != 0 : winding != 0;
}

Path Path::strokedCopy(double width, LineCap cap, LineJoin join, double miterLimit) const {
    return detail::strokeOutline(*this, width, cap, join, miterLimit);
}

Path Path::transformed(const AffineTransform& t) const {
    Path result = *this;
    for (Element& e : result.elements_)
        for (int i = 0; i < pointCount(e.type); ++i)
            e.points[i] = e.points[i].applying(t);
    return result;
}

bool operator==(const Path& lhs, const Path& rhs) {
    if (lhs.elements_.size() != rhs.elements_.size())
        return false;
    for (std::size_t i = 0; i < lhs.elements_.size(); ++i) {
        const Path::Element& a = lhs.elements_[i];
        const Path::Element& b = rhs.elements_[i];
        if (a.type != b.type)
            return false;
        for (int k = 0; k < pointCount(a.type); ++k)
            if (!(a.points[k] == b.points[k]))
                return false;
    }
    return true;
}

} // namespace ov
