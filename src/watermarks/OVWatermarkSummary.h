#pragma once

#include <string>

class OVWatermark;

//! \name Watermarks in words
//! One line that says what a watermark is and where it sits, for listings, logs and
//! accessibility texts, in the names the kinds give their settings (OVWatermarkProperty::option).

/// The name of the watermark's kind ("text", "image", ...); "unknown" for a type code from a
/// damaged record.
[[nodiscard]] std::string OVWatermarkKindName(const OVWatermark& watermark);

/// Placement and style, e.g. `bottom-right, margin 3%, width 20%, "© 2026 Me", font Helvetica,
/// color #FFFFFF`: the anchor placement (or the area, an arrow's ends, "across the image"),
/// each editable property of the kind (additional ones only when not at their default), then
/// opacity, rotation and shadow where they are not at rest and the kind draws with them.
[[nodiscard]] std::string OVWatermarkSummary(const OVWatermark& watermark);
