#pragma once

#include "inkstead/platform/gfx/Geometry.h"

#include <vector>

namespace ov {

enum class LineCap { butt = 0, round = 1, square = 2 };
enum class LineJoin { miter = 0, round = 1, bevel = 2 };

/// A graphics path made of move, line, cubic-curve and close elements (the platform's CGPath).
/// Plain value: copying copies the elements.
class Path {
public:
    enum class ElementType {
        moveToPoint = 0,
        addLineToPoint = 1,
        addCurveToPoint = 2,
        closeSubpath = 3
    };
    struct Element {
        ElementType type;
        Point points[3]; ///< 1 point for move/line, 3 for curve (control 1, control 2, end), 0 for
                         ///< close
    };

    Path() = default;
    static Path withRect(const Rect& r);
    /// Ellipse inscribed in the rectangle (four cubic arcs).
    static Path withEllipseInRect(const Rect& r);

    void moveTo(Point p);
    void addLineTo(Point p);
    void addCurveTo(Point control1, Point control2, Point end);
    void addRect(const Rect& r);
    void addEllipseInRect(const Rect& r);
    void addPath(const Path& other);
    void closeSubpath();

    [[nodiscard]] bool isEmpty() const { return elements_.empty(); }
    [[nodiscard]] const std::vector<Element>& elements() const { return elements_; }
    /// Bounding box of all points, control points included; Rect::null() when empty.
    [[nodiscard]] Rect boundingBox() const;
    /// Point-in-filled-path test (non-zero winding unless evenOdd).
    [[nodiscard]] bool containsPoint(Point p, bool evenOdd = false) const;
    /// Outline of this path stroked at `width` with the given cap and join
    /// (CGPathCreateCopyByStrokingPath).
    [[nodiscard]] Path strokedCopy(double width, LineCap cap = LineCap::butt,
                                   LineJoin join = LineJoin::miter, double miterLimit = 10) const;
    [[nodiscard]] Path transformed(const AffineTransform& t) const;

    friend bool operator==(const Path&, const Path&);

private:
    std::vector<Element> elements_;
};

/// The window-system drawing toolkit's Bezier path, read element by element by copyQuartzPath.
/// The element kind is a raw code (0 move, 1 line, 2 curve, 3 close; other codes are kept so that a
/// reader can ignore them).
class BezierPath {
public:
    struct Element {
        int kind;
        Point points[3];
    };

    void moveTo(Point p) { elements_.push_back({0, {p}}); }
    void lineTo(Point p) { elements_.push_back({1, {p}}); }
    void curveTo(Point end, Point control1, Point control2) {
        elements_.push_back({2, {control1, control2, end}});
    }
    void closePath() { elements_.push_back({3, {}}); }
    void appendElement(const Element& e) { elements_.push_back(e); }

    [[nodiscard]] int elementCount() const { return static_cast<int>(elements_.size()); }
    [[nodiscard]] const Element& elementAt(int index) const { return elements_[index]; }

private:
    std::vector<Element> elements_;
};

} // namespace ov
