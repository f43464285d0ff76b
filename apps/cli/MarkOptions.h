#pragma once

// The placement and style options of one watermark (`watermark add`, and the ad-hoc --text and
// --logo marks of export and render), and how they become a watermark of the library.
//
// Percentages refer to the image: the watermark is made against a reference image and given the
// library's relative placement, so it lands at the same relative place and size on photos of any
// size and orientation.

#include "CliSupport.h"

#include "watermarks/OVWatermark.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct MarkOptions {
    std::string anchor = "bottom-right"; ///< top-left|top-right|bottom-left|bottom-right|center
    std::string margin = "3%";           ///< distance from the anchor's edges
    std::string width;                   ///< share of the image width, e.g. "20%"
    std::optional<double> rotation;      ///< degrees
    std::optional<double> opacity;       ///< 0..1
    std::optional<double> shadow;        ///< 0..1
    std::string color;                   ///< #RRGGBB[AA]
    std::string font;                    ///< face name (text)
    std::optional<double> size;          ///< points (text)
    std::optional<double> stroke;        ///< line width
    std::optional<double> dash;          ///< dash length
    std::string fill;                    ///< fill colour (shape)
    std::string shape;                   ///< square|circle
    std::string image;                   ///< picture file (image kind)
    std::string from, to;                ///< "X%,Y%" (arrow)
    std::string rect;                    ///< "X%,Y%,W%,H%" (shape and pixellate)
    std::optional<double> intensity;     ///< block size (pixellate)
};

/// The kinds `makeMark` builds: "text", "image", "shape", "arrow", "strikethrough", "pixellate".
[[nodiscard]] const std::vector<std::string>& markKindNames();

/// Adds the placement and style options above to `command`, storing into `options`.
void addMarkOptions(CLI::App& command, MarkOptions& options);

/// Builds a watermark of `kind` from the options; `text` is the content of a text mark (the
/// image kind takes its picture from options.image, or from `text` when that is empty). Throws
/// CliError (exit 2) naming the option when a value is malformed or a picture cannot be read.
[[nodiscard]] OVWatermarkPtr makeMark(std::string_view kind, const MarkOptions& options,
                                      const std::string& text = {});

/// Keys `setMarkProperty` understands, for --help and error hints.
[[nodiscard]] const std::vector<std::string>& markPropertyKeys();

/// Sets one KEY=VALUE of `watermark set`. Throws CliError (exit 2) for an unknown key or a
/// malformed value.
void setMarkProperty(OVWatermark& watermark, std::string_view key, std::string_view value);

} // namespace cli
