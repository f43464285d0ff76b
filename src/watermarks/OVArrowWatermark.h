#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Path.h"
#include "inkstead/platform/log/Result.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <optional>
#include <string_view>
#include <utility>

//! \name Archive keys of the arrow kind
inline constexpr std::string_view kOVArrowShapeBeginPointKey = "beginPoint";
inline constexpr std::string_view kOVArrowShapeEndPointKey = "endPoint";
inline constexpr std::string_view kOVArrowShapeRelativeBeginKey = "relative-beginning";
inline constexpr std::string_view kOVArrowShapeRelativeEndKey = "relative-ending";
inline constexpr std::string_view kOVArrowStrokeColorKey = "strokeColor";
inline constexpr std::string_view kOVArrowStrokeThickness = "strokeThickness";

/// A straight arrow from a begin point to an end point with an open head of two 40-unit barbs.
///
/// The arrow keeps no points of its own: they are opposite corners of the base rectangle
/// (origin, size), and pointsRight()/pointsDown() say which corner is which. Points are
/// measured from the lower-left corner of bounds(), like the origin. It is edited by its two
/// points (handle 1 is the begin point, handle 4 the end point) and remembers each point as a
/// fraction of the image size, so it stretches with the image when the preset moves to another
/// photograph. The base's relative placement, rotation and selection frame do not act on it.
class OVArrowWatermark : public OVWatermark {
public:
    /// Type arrow, title "Arrow", from (0, 200) to (200, 0), opaque black, 10 units wide,
    /// visible, proportional resizing and relative placement off.
    [[nodiscard]] static std::shared_ptr<OVArrowWatermark> arrowWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();

    //! \name Archiving (OVArrowWatermarkCoding.cpp)
    /// The base entries, then "strokeThickness", "strokeColor", "beginPoint", "endPoint",
    /// "relative-beginning", "relative-ending"; decoding rebuilds origin, size and direction from
    /// the two points.
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;

    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// Strokes and fills the arrow path with round caps and joins (nothing while invisible,
    /// with bounds of zero width and height, or without a colour); then the two point handles
    /// when editable. No selection frame, no rotation.
    void renderInContext(ov::GraphicsContext& context) override;
    /// Two handles, at the begin point and then at the end point.
    void drawHandlesInContext(ov::GraphicsContext& context) override;

    /// The arrow's outline in context coordinates: one open subpath from the begin point to the
    /// end point, out along one barb and back, out along the other and back.
    [[nodiscard]] virtual ov::BezierPath bezierPathForDrawing() const;
    [[nodiscard]] virtual ov::Point translatePointByBoundsOrigin(ov::Point point) const;
    [[nodiscard]] virtual ov::Point translatedBeginPoint() const;
    [[nodiscard]] virtual ov::Point translatedEndPoint() const;
    /// `point` turned counter-clockwise (y-up) by `angle` radians about `center`.
    [[nodiscard]] virtual ov::Point rotatePoint(ov::Point point, ov::Point center,
                                                double angle) const;

    //! \name Points (relative to the bounds origin)
    [[nodiscard]] virtual ov::Point beginPoint() const;
    [[nodiscard]] virtual ov::Point endPoint() const;
    /// Moves the begin point, keeping the end point, and records the new fractions.
    virtual void setBeginPoint(ov::Point point);
    virtual void setBeginPoint(ov::Point point, bool shouldUpdateRelativePosition);
    virtual void setEndPoint(ov::Point point);
    virtual void setEndPoint(ov::Point point, bool shouldUpdateRelativePosition);
    /// Stores the rectangle spanned by the two points as origin and size; the flags, when given,
    /// receive whether the end lies right of / above the begin.
    virtual void setFrameWithBeginPoint(ov::Point begin, ov::Point end, bool* pointsRight,
                                        bool* pointsDown);

    //! \name Hit testing and editing
    /// Inside frame(), on a point handle, or inside the outline of the stroked arrow.
    [[nodiscard]] bool containsPoint(ov::Point point, double scale) const override;
    /// 1 over the begin point (tested first), 4 over the end point, otherwise 0.
    [[nodiscard]] OVWatermarkHandle handleUnderPoint(ov::Point point, double scale) const override;
    /// Handle 1 moves the begin point, handle 4 the end point, others nothing.
    using OVWatermark::resizeByMovingHandle;
    void resizeByMovingHandle(OVWatermarkHandle handle, ov::Point point) override;
    void offsetOriginByX(double dx, double dy) override;

    //! \name Relative placement
    /// Records both points as fractions of the bounds size (nothing with zero width or height).
    virtual void updateRelativePosition();
    /// Moves both points to their fractions of the current bounds size.
    virtual void dynamicallyPositionArrow();
    /// True when all four fractions are greater than 0.
    [[nodiscard]] virtual bool hasRelativePosition() const;
    /// The ends as fractions of the image measured from its top-left corner, the way people
    /// give points on an image.
    [[nodiscard]] std::pair<ov::Point, ov::Point> endsFromTopLeft() const;
    /// Places the arrow from `from` to `to` (fractions of the image from its top-left corner,
    /// 0 to 1 each) on whatever image it is given later. An end on the left or bottom edge sits
    /// a hair inside it, since a fraction of 0 means that there is no relative position. Fails
    /// with invalid_argument, changing nothing, when the two ends are the same point.
    [[nodiscard]] ov::Result<void> setEndsFromTopLeft(ov::Point from, ov::Point to);
    [[nodiscard]] ov::Rect bounds() const override;
    /// Stores the image rectangle and, when the fractions are known, re-places the points.
    void setBounds(ov::Rect bounds) override;
    /// The unrotated rectangle of the two points in context coordinates, size not rounded.
    [[nodiscard]] ov::Rect drawRect() const override;

    //! \name Properties
    [[nodiscard]] virtual double strokeThickness() const { return strokeThickness_; }
    virtual void setStrokeThickness(double thickness) { strokeThickness_ = thickness; }
    [[nodiscard]] virtual std::optional<ov::Color> strokeColor() const { return strokeColor_; }
    virtual void setStrokeColor(std::optional<ov::Color> color) { strokeColor_ = color; }
    /// The end point's x is greater than the begin point's.
    [[nodiscard]] virtual bool pointsRight() const { return pointsRight_; }
    virtual void setPointsRight(bool right) { pointsRight_ = right; }
    /// The end point's y is greater than the begin point's (the arrow runs upward, y-up).
    [[nodiscard]] virtual bool pointsDown() const { return pointsDown_; }
    virtual void setPointsDown(bool down) { pointsDown_ = down; }
    [[nodiscard]] virtual ov::Size relativeBeginning() const { return relativeBeginning_; }
    virtual void setRelativeBeginning(ov::Size fractions) { relativeBeginning_ = fractions; }
    [[nodiscard]] virtual ov::Size relativeEnding() const { return relativeEnding_; }
    virtual void setRelativeEnding(ov::Size fractions) { relativeEnding_ = fractions; }

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    void drawArrow(ov::GraphicsContext& context);
    double strokeThickness_ = 0;
    std::optional<ov::Color> strokeColor_;
    bool pointsRight_ = false;
    bool pointsDown_ = false;
    ov::Size relativeBeginning_;
    ov::Size relativeEnding_;
    ov::Rect bounds_;
};
