#pragma once

#include <cstdint>
#include <string_view>

/// Kind tag of a watermark. Stored in archives: the values never change. Values outside the
/// named ones may come from damaged archives and are kept as they are.
enum OVWatermarkType : std::uint64_t {
    OVWatermarkTypeText = 0,
    OVWatermarkTypeImage = 1,
    OVWatermarkTypeStrikethrough = 2,
    OVWatermarkTypeShape = 3,
    OVWatermarkTypeArrow = 4,
    OVWatermarkTypePixellate = 5,
};

/// A corner handle of a watermark's frame.
enum OVWatermarkHandle : std::uint64_t {
    OVWatermarkHandleNone = 0,
    OVWatermarkHandleTopLeft = 1,     ///< (minX, maxY): moves the left and top edges
    OVWatermarkHandleTopRight = 2,    ///< (maxX, maxY): moves the right and top edges
    OVWatermarkHandleBottomLeft = 3,  ///< (minX, minY): moves the left and bottom edges
    OVWatermarkHandleBottomRight = 4, ///< (maxX, minY): moves the right and bottom edges
};

/// The image corner a watermark's relative position is measured from. Stored in archives.
enum OVRelativeQuadrant : std::uint64_t {
    OVRelativeQuadrantBottomLeft = 0,
    OVRelativeQuadrantBottomRight = 1,
    OVRelativeQuadrantTopLeft = 2,
    OVRelativeQuadrantTopRight = 3,
};

//! \name Creation options and archive keys of every watermark
//! The misspelt "Postion" keys are part of the stored format and must stay as they are.
inline constexpr std::string_view kOVWatermarkTypeKey = "type";
inline constexpr std::string_view kOVWatermarkTitleKey = "title";
inline constexpr std::string_view kOVWatermarkSizeKey = "size";
inline constexpr std::string_view kOVWatermarkAlphaKey = "alpha";
inline constexpr std::string_view kOVWatermarkRotationKey = "rotation";
inline constexpr std::string_view kOVWatermarkShadowKey = "shadow";
inline constexpr std::string_view kOVWatermarkRelativeSizeKey = "relativeSize";
inline constexpr std::string_view kOVWatermarkRelativePositionKey = "relativePostion";
inline constexpr std::string_view kOVWatermarkRelativeQuadrantKey = "relativeQuadrant";
inline constexpr std::string_view kOVWatermarkProportionalKey = "proportional";
inline constexpr std::string_view kOVWatermarkShouldUseRelativePositionKey =
    "shouldUseRelativePostion";
inline constexpr std::string_view kOVWatermarkShouldUseRelativeSizeKey = "shouldUseRelativeSize";
inline constexpr std::string_view kOVWatermarkOriginKey = "origin";
inline constexpr std::string_view kOVWatermarkFrameKey = "frame";
inline constexpr std::string_view kOVWatermarkIDKey = "uuid";
inline constexpr std::string_view kOVWatermarkMaxSizeKey = "maxSize";
inline constexpr std::string_view kOVWatermarkHasMaxSizeKey = "hasMaxSize";

//! \name Archive keys that readers of the 16 base entries do not know and skip
//! Whether the relative data are computed (absent: the legacy rule of the values (0, 0) and
//! (1, 1)), and the placement by anchor, margin and size (absent: none).
inline constexpr std::string_view kOVWatermarkRelativePositionComputedKey =
    "relativePositionComputed";
inline constexpr std::string_view kOVWatermarkRelativeSizeComputedKey = "relativeSizeComputed";
inline constexpr std::string_view kOVWatermarkPlacementAnchorKey = "placementAnchor";
inline constexpr std::string_view kOVWatermarkPlacementMarginUnitKey = "placementMarginUnit";
inline constexpr std::string_view kOVWatermarkPlacementMarginKey = "placementMargin";
inline constexpr std::string_view kOVWatermarkPlacementSizeRuleKey = "placementSizeRule";
inline constexpr std::string_view kOVWatermarkPlacementSizeKey = "placementSize";

//! \name Archive keys of the shape kind
inline constexpr std::string_view kOVShapeStrokeThickness = "strokeThickness";
inline constexpr std::string_view kOVShapeStrokeColorKey = "strokeColor";
inline constexpr std::string_view kOVShapeFillColorKey = "fillColor";
inline constexpr std::string_view kOVShapeTypeKey = "shapeType";
inline constexpr std::string_view kOVShapeLineDashKey = "lineDash";
