#pragma once

#include <cmath>

namespace ov {

struct AffineTransform;

/// A point in a y-up space (origin lower left), 64-bit components.
struct Point {
    double x = 0;
    double y = 0;

    [[nodiscard]] Point applying(const AffineTransform& t) const;
    friend bool operator==(const Point&, const Point&) = default;
};

/// A size; components may be zero or negative, exactly as given.
struct Size {
    double width = 0;
    double height = 0;

    [[nodiscard]] Size applying(const AffineTransform& t) const; ///< linear part only
    friend bool operator==(const Size&, const Size&) = default;
};

/// A rectangle of origin and size in a y-up space. Accessors standardise negative sizes the way
/// the platform graphics library does: minX() is the smaller of the two x edges, width() is >= 0.
struct Rect {
    Point origin;
    Size size;

    constexpr Rect() = default;
    constexpr Rect(Point o, Size s) : origin(o), size(s) {}
    constexpr Rect(double x, double y, double w, double h) : origin{x, y}, size{w, h} {}

    /// The null rectangle (infinite origin): result of intersecting disjoint rectangles.
    static Rect null();
    /// A rectangle covering the whole plane.
    static Rect infinite();

    [[nodiscard]] double minX() const { return size.width < 0 ? origin.x + size.width : origin.x; }
    [[nodiscard]] double minY() const {
        return size.height < 0 ? origin.y + size.height : origin.y;
    }
    [[nodiscard]] double maxX() const { return size.width < 0 ? origin.x : origin.x + size.width; }
    [[nodiscard]] double maxY() const {
        return size.height < 0 ? origin.y : origin.y + size.height;
    }
    [[nodiscard]] double midX() const { return origin.x + size.width / 2; }
    [[nodiscard]] double midY() const { return origin.y + size.height / 2; }
    [[nodiscard]] double width() const { return std::fabs(size.width); }
    [[nodiscard]] double height() const { return std::fabs(size.height); }

    [[nodiscard]] bool isNull() const { return std::isinf(origin.x) || std::isinf(origin.y); }
    /// Null, or zero width or zero height.
    [[nodiscard]] bool isEmpty() const { return isNull() || size.width == 0 || size.height == 0; }
    /// Same rectangle with non-negative width and height.
    [[nodiscard]] Rect standardized() const;
    /// Half-open containment: minX <= x < maxX and minY <= y < maxY; an empty rect contains
    /// nothing.
    [[nodiscard]] bool contains(Point p) const;
    /// Axis-aligned bounding box of the four transformed corners.
    [[nodiscard]] Rect applying(const AffineTransform& t) const;
    /// (x + dx, y + dy, w - 2dx, h - 2dy) on the standardised rect; negative insets grow it.
    [[nodiscard]] Rect insetBy(double dx, double dy) const;
    [[nodiscard]] Rect offsetBy(double dx, double dy) const;
    /// Smallest rectangle containing both; an empty rectangle contributes nothing.
    [[nodiscard]] Rect united(const Rect& other) const;
    /// Intersection, or Rect::null() when they do not overlap.
    [[nodiscard]] Rect intersection(const Rect& other) const;
    [[nodiscard]] bool intersects(const Rect& other) const;
    /// Smallest rectangle with integral coordinates containing this one.
    [[nodiscard]] Rect integral() const;

    /// Exact component-wise equality (CGRectEqualToRect/NSEqualRects).
    friend bool operator==(const Rect&, const Rect&) = default;
};

inline constexpr Point PointZero{};
inline constexpr Size SizeZero{};
inline constexpr Rect RectZero{};

/// Affine transform mapping (x, y) to (a·x + c·y + tx, b·x + d·y + ty).
struct AffineTransform {
    double a = 1, b = 0, c = 0, d = 1, tx = 0, ty = 0;

    static constexpr AffineTransform identity() { return {}; }
    static AffineTransform makeTranslation(double tx, double ty);
    static AffineTransform makeScale(double sx, double sy);
    /// Rotation by angle radians, counter-clockwise in a y-up space.
    static AffineTransform makeRotation(double radians);

    /// Prepends a translation: the step is applied before this transform
    /// (CGAffineTransformTranslate).
    [[nodiscard]] AffineTransform translated(double tx, double ty) const;
    /// Prepends a scale (CGAffineTransformScale).
    [[nodiscard]] AffineTransform scaled(double sx, double sy) const;
    /// Prepends a rotation in radians (CGAffineTransformRotate).
    [[nodiscard]] AffineTransform rotated(double radians) const;
    /// This transform first, then `then` (CGAffineTransformConcat(*this, then)).
    [[nodiscard]] AffineTransform concatenating(const AffineTransform& then) const;
    /// The inverse, or the transform itself when it is not invertible.
    [[nodiscard]] AffineTransform inverted() const;
    [[nodiscard]] bool isIdentity() const { return *this == AffineTransform{}; }

    friend bool operator==(const AffineTransform&, const AffineTransform&) = default;
};

/// CGAffineTransformConcat: t1 applied first, then t2.
[[nodiscard]] AffineTransform concat(const AffineTransform& t1, const AffineTransform& t2);

} // namespace ov
