#pragma once

#include <cstdint>
#include <string_view>

/// How a preset's resizeValue is read. Stored in archives.
enum OVResizeMethod : std::uint64_t {
    OVResizeMethodPixels = 0,     ///< target length of the constrained side, in pixels
    OVResizeMethodPercentage = 1, ///< a percentage when greater than 1, otherwise a fraction
};

/// Which side of the image receives a preset's resize target. Stored in archives.
enum OVResizeConstraint : std::uint64_t {
    OVResizeConstraintWidth = 0,
    OVResizeConstraintHeight = 1,
    OVResizeConstraintLongestSide = 2,
};

//! \name Archive keys of a preset record
inline constexpr std::string_view kOVNameKey = "name";
inline constexpr std::string_view kOVUUIDKey = "uuid";
inline constexpr std::string_view kOVWatermarksKey = "watermarks";
inline constexpr std::string_view kOVResizeConstraint = "resize-constraint";
inline constexpr std::string_view kOVResizeMethod = "resize-method";
inline constexpr std::string_view kOVResizeValue = "resize-value";
inline constexpr std::string_view kOVResizeShouldResize = "shouldResize";
inline constexpr std::string_view kOVShouldStripMetadata = "should-strip-metadata";
