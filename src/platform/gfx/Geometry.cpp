#include "inkstead/platform/gfx/Geometry.h"

#include <algorithm>
#include <cfloat>
#include <limits>

namespace ov {

Point Point::applying(const AffineTransform& t) const {
    return {t.a * x + t.c * y + t.tx, t.b * x + t.d * y + t.ty};
}

Size Size::applying(const AffineTransform& t) const {
    return {t.a * width + t.c * height, t.b * width + t.d * height};
}

Rect Rect::null() {
    constexpr double inf = std::numeric_limits<double>::infinity();
    return {inf, inf, 0, 0};
}

Rect Rect::infinite() {
    return {-DBL_MAX / 2, -DBL_MAX / 2, DBL_MAX, DBL_MAX};
}

Rect Rect::standardized() const {
    if (isNull())
        return *this;
    return {minX(), minY(), width(), height()};
}

bool Rect::contains(Point p) const {
    if (isEmpty())
        return false;
    return p.x >= minX() && p.x < maxX() && p.y >= minY() && p.y < maxY();
}

Rect Rect::applying(const AffineTransform& t) const {
    if (isNull())
        return *this;
    const Point corners[4] = {Point{minX(), minY()}.applying(t), Point{maxX(), minY()}.applying(t),
                              Point{minX(), maxY()}.applying(t), Point{maxX(), maxY()}.applying(t)};
    double x0 = corners[0].x, x1 = corners[0].x, y0 = corners[0].y, y1 = corners[0].y;
    for (const Point& p : corners) {
        x0 = std::min(x0, p.x);
        x1 = std::max(x1, p.x);
        y0 = std::min(y0, p.y);
        y1 = std::max(y1, p.y);
    }
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::insetBy(double dx, double dy) const {
    if (isNull())
        return *this;
    const Rect r = standardized();
    return {r.origin.x + dx, r.origin.y + dy, r.size.width - 2 * dx, r.size.height - 2 * dy};
}

Rect Rect::offsetBy(double dx, double dy) const {
    if (isNull())
        return *this;
    return {origin.x + dx, origin.y + dy, size.width, size.height};
}

Rect Rect::united(const Rect& other) const {
    const bool thisEmpty = isEmpty();
    const bool otherEmpty = other.isEmpty();
    if (thisEmpty && otherEmpty)
        return RectZero;
    if (thisEmpty)
        return other.standardized();
    if (otherEmpty)
        return standardized();
    const double x0 = std::min(minX(), other.minX());
    const double y0 = std::min(minY(), other.minY());
    const double x1 = std::max(maxX(), other.maxX());
    const double y1 = std::max(maxY(), other.maxY());
    return {x0, y0, x1 - x0, y1 - y0};
}

Rect Rect::intersection(const Rect& other) const {
    if (isNull() || other.isNull())
        return null();
    const double x0 = std::max(minX(), other.minX());
    const double y0 = std::max(minY(), other.minY());
    const double x1 = std::min(maxX(), other.maxX());
    const double y1 = std::min(maxY(), other.maxY());
    if (!(x1 >= x0) || !(y1 >= y0))
        return null();
    return {x0, y0, x1 - x0, y1 - y0};
}

bool Rect::intersects(const Rect& other) const {
    return !intersection(other).isEmpty();
}

Rect Rect::integral() const {
    if (isNull())
        return *this;
    const double x0 = std::floor(minX());
    const double y0 = std::floor(minY());
    return {x0, y0, std::ceil(maxX()) - x0, std::ceil(maxY()) - y0};
}

AffineTransform AffineTransform::makeTranslation(double tx, double ty) {
    return {1, 0, 0, 1, tx, ty};
}

AffineTransform AffineTransform::makeScale(double sx, double sy) {
    return {sx, 0, 0, sy, 0, 0};
}

AffineTransform AffineTransform::makeRotation(double radians) {
    const double c = std::cos(radians);
    const double s = std::sin(radians);
    return {c, s, -s, c, 0, 0};
}

AffineTransform AffineTransform::translated(double x, double y) const {
    return concat(makeTranslation(x, y), *this);
}

AffineTransform AffineTransform::scaled(double sx, double sy) const {
    return concat(makeScale(sx, sy), *this);
}

AffineTransform AffineTransform::rotated(double radians) const {
    return concat(makeRotation(radians), *this);
}

AffineTransform AffineTransform::concatenating(const AffineTransform& then) const {
    return concat(*this, then);
}

AffineTransform AffineTransform::inverted() const {
    const double det = a * d - b * c;
    if (det == 0 || !std::isfinite(det))
        return *this;
    return {d / det, -b / det, -c / det, a / det, (c * ty - d * tx) / det, (b * tx - a * ty) / det};
}

AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2) {
    return {t1.a * t2.a + t1.b * t2.c,           t1.a * t2.b + t1.b * t2.d,
            t1.c * t2.a + t1.d * t2.c,           t1.c * t2.b + t1.d * t2.d,
            t1.tx * t2.a + t1.ty * t2.c + t2.tx, t1.tx * t2.b + t1.ty * t2.d + t2.ty};
}

} // namespace ov
