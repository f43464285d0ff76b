#pragma once

#include "inkstead/platform/gfx/Geometry.h"

#include <cstdint>
#include <optional>
#include <string_view>
#include <utility>

/// Where a placed watermark sits on the image: the four corners, the four edge centres or the
/// centre. Stored in archives; the values never change.
enum class OVPlacementAnchor : std::uint8_t {
    BottomLeft = 0,
    Bottom = 1,
    BottomRight = 2,
    Left = 3,
    Center = 4,
    Right = 5,
    TopLeft = 6,
    Top = 7,
    TopRight = 8,
};

/// How a margin is measured. Stored in archives.
enum class OVPlacementMarginUnit : std::uint8_t {
    /// A fraction of the image's shorter side: the same visual gap on every edge.
    ShorterSideFraction = 0,
    /// Image pixels.
    Pixels = 1,
};

/// How the content width of a placed watermark follows the image (its height follows the
/// watermark's own aspect ratio). Stored in archives.
enum class OVPlacementSizeRule : std::uint8_t {
    /// The size is left as it is.
    Unchanged = 0,
    /// A fraction of the image width.
    WidthFraction = 1,
    /// A fraction of the image's longer side: one size on portrait and landscape photos.
    LongerSideFraction = 2,
    /// A fraction of the image's shorter side.
    ShorterSideFraction = 3,
    /// Image pixels.
    Pixels = 4,
};

/// Placement of a watermark by anchor, margin and size. The margin is the gap between the
/// watermark's ink (inkRect()) and the image edges the anchor touches; a centre anchor has no
/// gap on that axis. Applied every time the watermark is given an image rectangle.
struct OVPlacement {
    OVPlacementAnchor anchor = OVPlacementAnchor::BottomRight;
    OVPlacementMarginUnit marginUnit = OVPlacementMarginUnit::ShorterSideFraction;
    double margin = 0.03; ///< fraction or pixels, by marginUnit; 0 or more
    OVPlacementSizeRule sizeRule = OVPlacementSizeRule::Unchanged;
    double size = 0; ///< fraction or pixels, by sizeRule; more than 0 unless Unchanged

    bool operator==(const OVPlacement&) const = default;

    /// The margin in image units on an image of `image` size.
    [[nodiscard]] double marginIn(ov::Size image) const;
    /// The content width the size rule asks for on an image of `image` size; nothing for
    /// Unchanged or a rule whose result is not a positive finite width.
    [[nodiscard]] std::optional<double> contentWidthIn(ov::Size image) const;
    /// The anchor's horizontal side: -1 left, 0 centre, 1 right; vertical: -1 bottom, 1 top.
    [[nodiscard]] int horizontalSide() const;
    [[nodiscard]] int verticalSide() const;
    /// Margin and size are finite, not negative, and a size rule has a positive size.
    [[nodiscard]] bool isValid() const;
};

/// The image a watermark is laid out on while it has no bounds of its own: a 3:2 landscape,
/// the commonest photo shape, large enough that rounding to whole units is negligible.
inline constexpr ov::Rect kOVPlacementReferenceBounds{0, 0, 3000, 2000};

/// A margin as people write it: a share of the shorter side ("3%", or the fraction 0.03), less
/// than half of it, or pixels ("24px"), not negative. Nothing for any other text.
[[nodiscard]] std::optional<std::pair<OVPlacementMarginUnit, double>>
OVPlacementMarginFromString(std::string_view text);
/// A content width as people write it: a share ("20%" or 0.2; more than 0, at most 1) of the
/// length `relativeTo` names ("width", "longer-side", "shorter-side"), or pixels ("300px", more
/// than 0). Nothing for any other text.
[[nodiscard]] std::optional<std::pair<OVPlacementSizeRule, double>>
OVPlacementSizeFromString(std::string_view text, std::string_view relativeTo = "width");
/// The rule of a share of the length `relativeTo` names: "width", "longer-side" or
/// "shorter-side"; nothing for another name.
[[nodiscard]] std::optional<OVPlacementSizeRule>
OVPlacementShareRuleNamed(std::string_view relativeTo);

/// "top-left", "top", "top-right", "left", "center", "right", "bottom-left", "bottom",
/// "bottom-right".
[[nodiscard]] std::string_view OVPlacementAnchorName(OVPlacementAnchor anchor);
/// The anchor of a name above ("centre" and "middle" also name the centre); nothing otherwise.
[[nodiscard]] std::optional<OVPlacementAnchor> OVPlacementAnchorNamed(std::string_view name);
