#pragma once

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Path.h"
#include "inkstead/watermarks/OVWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

#include <optional>
#include <string_view>

//! \name Archive keys of the strikethrough kind
inline constexpr std::string_view kOVStrikethroughWatermarkColor = "color";
inline constexpr std::string_view kOVStrikethroughWatermarkLineDash = "lineDash";
inline constexpr std::string_view kOVStrikethroughWatermarkStrokeThickness = "strokeThickness";

/// Strikes out the whole photograph with two lines from corner to corner, like a large X.
///
/// The lines are laid out on bounds() (the image rectangle), not on the watermark's own frame:
/// each diagonal runs from 10 units beyond one image corner to 10 units beyond the opposite one,
/// so no line end shows on the image, and the two are joined by segments 10 units outside the
/// top and bottom edges. Origin, size, rotation and shadow play no part. The watermark can never
/// be hit by the mouse and draws no selection frame and no handles.
class OVStrikethroughWatermark : public OVWatermark {
public:
    /// Type strikethrough, title "Strikethrough", base default size, opaque black, 3 units
    /// wide, solid, visible.
    [[nodiscard]] static std::shared_ptr<OVStrikethroughWatermark> strikethroughWatermark();
    /// The kind's description: name, type code, factory and editable properties.
    [[nodiscard]] static const OVWatermarkKind& kind();

    //! \name Archiving (OVStrikethroughWatermarkCoding.cpp)
    /// The base entries, then "color", "lineDash" and "strokeThickness" (missing: no colour, 0).
    void encodeWithCoder(ov::KeyedArchiver& coder) const override;
    bool initWithCoder(ov::KeyedUnarchiver& coder) override;

    [[nodiscard]] std::shared_ptr<OVWatermark> copy() const override;
    /// Draws nothing while invisible, with bounds of zero width and height, or without a colour.
    void renderInContext(ov::GraphicsContext& context) override;
    /// Always false.
    [[nodiscard]] bool containsPoint(ov::Point point, double scale) const override;

    /// The path the lines follow, for bounds() (context coordinates).
    [[nodiscard]] virtual ov::Path strikethroughPath() const;

    [[nodiscard]] virtual std::optional<ov::Color> color() const { return color_; }
    virtual void setColor(std::optional<ov::Color> color) { color_ = color; }
    /// Line width in the units of the context drawn into.
    [[nodiscard]] virtual double strokeThickness() const { return strokeThickness_; }
    virtual void setStrokeThickness(double thickness) { strokeThickness_ = thickness; }
    /// Length of each dash and each gap along the whole path; 0 for solid lines.
    [[nodiscard]] virtual double lineDash() const { return lineDash_; }
    virtual void setLineDash(double lineDash) { lineDash_ = lineDash; }

protected:
    [[nodiscard]] std::shared_ptr<OVWatermark> newInstance() const override;

private:
    std::optional<ov::Color> color_;
    double strokeThickness_ = 0;
    double lineDash_ = 0;
};
