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

/// What an export keeps of the source's metadata. Stored in archives.
enum OVMetadataPolicy : std::uint64_t {
    OVMetadataPolicyKeepAll = 0,       ///< everything (edited to describe the new pixels)
    OVMetadataPolicyStripLocation = 1, ///< no coordinates and no place names
    /// No location, no serial numbers (body, lens, internal), no owner names, no maker notes.
    OVMetadataPolicyStripPrivate = 2,
    /// Only the copyright notice and the creator's name (and the colour profile).
    OVMetadataPolicyCopyrightOnly = 3,
};

/// The file type an export writes. Stored in archives.
enum OVOutputFormat : std::uint64_t {
    OVOutputFormatSource = 0, ///< the source's own type
    OVOutputFormatJPEG = 1,
    OVOutputFormatPNG = 2,
    OVOutputFormatWebP = 3,
    OVOutputFormatAVIF = 4,
    OVOutputFormatJPEGXL = 5,
};

/// Names of the metadata policies and output formats, by value (in the JSON form and on the
/// command line).
inline constexpr const char* kOVMetadataPolicyNames[] = {"keep-all", "strip-location",
                                                         "strip-private", "copyright-only"};
inline constexpr const char* kOVOutputFormatNames[] = {"source", "jpeg", "png",
                                                       "webp",   "avif", "jxl"};

/// The type identifier of an output format ("public.png"); empty for OVOutputFormatSource and
/// values outside the enumeration.
[[nodiscard]] std::string_view OVOutputFormatType(OVOutputFormat format);

//! \name Archive keys of a preset record
inline constexpr std::string_view kOVNameKey = "name";
inline constexpr std::string_view kOVUUIDKey = "uuid";
inline constexpr std::string_view kOVWatermarksKey = "watermarks";
inline constexpr std::string_view kOVResizeConstraint = "resize-constraint";
inline constexpr std::string_view kOVResizeMethod = "resize-method";
inline constexpr std::string_view kOVResizeValue = "resize-value";
inline constexpr std::string_view kOVResizeShouldResize = "shouldResize";
inline constexpr std::string_view kOVShouldStripMetadata = "should-strip-metadata";
// Written only when they differ from their defaults, so that older readers, which ignore them,
// see the same record as before (the strip flag still says whether the location goes).
inline constexpr std::string_view kOVMetadataPolicy = "metadata-policy";
inline constexpr std::string_view kOVMetadataArtist = "metadata-artist";
inline constexpr std::string_view kOVMetadataCopyright = "metadata-copyright";
inline constexpr std::string_view kOVOutputFormatKey = "output-format";
inline constexpr std::string_view kOVOutputQuality = "output-quality";
