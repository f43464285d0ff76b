#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <cstdint>
#include <optional>

/// Which figure a shape watermark draws. Values other than these are kept and draw nothing.
enum OVShapeType : std::uint64_t {
    OVShapeTypeSquare = 0, ///< the rectangle of the frame (not forced to be square)
    OVShapeTypeCircle = 1, ///< the ellipse inscribed in the frame
};

/// A plain figure over the photograph: the rectangle or ellipse of the watermark's frame, filled
/// with one colour and outlined with another, optionally dashed. Uses the base geometry
/// unchanged. Drawn upright (no rotation of its own) and without shadow; the outline is centred
/// on the frame's edge, so half of strokeThickness lies outside the frame.
class OVShapeWatermark : public OVWatermark {
public:
    /// Type shape, title "Shape", 200 × 200, black 2-unit solid outline, clear fill, square,
    /// visible, with proportional resizing and relative placement off.
    [[nodiscard]] static std::shared_ptr<OVShapeWatermark> shapeWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();
    [[nodiscard]] static std::shared_ptr<OVShapeWatermark> squareShapeWatermark();
    [[nodiscard]] static std::shared_ptr<OVShapeWatermark> circleShapeWatermark();

    /// The base entries, then strokeThickness, strokeColor, fillColor, shapeType, lineDash.
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;
    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// Draws nothing while invisible or with zero-sized bounds; otherwise the selection frame
    /// (when editable), the figure, then the handles (when editable).
    void renderInContext(ov::GraphicsContext& context) override;
    /// The drawing body for the given figure.
    virtual void renderShape(OVShapeType shapeType, ov::GraphicsContext& context);
    /// Adds, fills and strokes the figure with the colours and line settings already set.
    virtual void renderSquareInContext(ov::GraphicsContext& context);
    virtual void renderCircleInContext(ov::GraphicsContext& context);

    /// Outline width in the units of the context drawn into (image pixels at export).
    [[nodiscard]] virtual double strokeThickness() const { return strokeThickness_; }
    virtual void setStrokeThickness(double thickness) { strokeThickness_ = thickness; }
    /// Length of each dash and each gap of the outline; 0 for a solid outline.
    [[nodiscard]] virtual double lineDash() const { return lineDash_; }
    virtual void setLineDash(double lineDash) { lineDash_ = lineDash; }
    /// Outline colour; absent colours make the shape draw nothing (decorations still appear).
    [[nodiscard]] virtual std::optional<ov::Color> strokeColor() const { return strokeColor_; }
    virtual void setStrokeColor(std::optional<ov::Color> color) { strokeColor_ = color; }
    [[nodiscard]] virtual std::optional<ov::Color> fillColor() const { return fillColor_; }
    virtual void setFillColor(std::optional<ov::Color> color) { fillColor_ = color; }
    [[nodiscard]] virtual OVShapeType shapeType() const { return shapeType_; }
    virtual void setShapeType(OVShapeType shapeType) { shapeType_ = shapeType; }

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    double strokeThickness_ = 0;
    double lineDash_ = 0;
    std::optional<ov::Color> strokeColor_;
    std::optional<ov::Color> fillColor_;
    OVShapeType shapeType_ = OVShapeTypeSquare;
};
