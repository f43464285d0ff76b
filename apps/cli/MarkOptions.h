#pragma once

// The placement and style options of one watermark (`watermark add`, and the ad-hoc --text and
// --logo marks of export and render), and how they become a watermark of the library.
//
// Marks are placed by the library's anchor, margin and size, so they land at the same place and
// size on photos of any size and orientation. The options of each kind come from the kind's own
// description in the library.

#include "CliSupport.h"

#include "inkstead/storage/OVStorage.h"
#include "inkstead/watermarks/OVWatermark.h"

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

struct MarkOptions {
    std::string anchor = "bottom-right"; ///< a corner, an edge's middle, or center
    std::string margin = "3%";           ///< gap to the edges: share of the shorter side, or px
    std::string width{};                 ///< share of the image (see relativeTo), or px
    std::string relativeTo = "width";    ///< width|longer-side|shorter-side
    std::optional<double> rotation{};    ///< degrees
    std::string opacity{};               ///< 0..1 or 0%..100%
    std::string shadow{};                ///< 0..1 or 0%..100%
    std::string color{};                 ///< #RRGGBB[AA]
    std::string font{};                  ///< face name (text)
    std::optional<double> size{};        ///< points (text)
    std::optional<double> stroke{};      ///< line width
    std::optional<double> dash{};        ///< dash length
    std::string fill{};                  ///< fill colour (shape)
    std::string shape{};                 ///< square|circle
    std::string image{};                 ///< picture file (image kind)
    std::string from{}, to{};            ///< "X%,Y%" (arrow)
    std::string rect{};                  ///< "X%,Y%,W%,H%" (shape and pixellate)
    std::optional<double> intensity{};   ///< block size (pixellate)
    /// The kinds' additional settings by option name ("tile-angle" → "-30"): tiling, text
    /// outline and plate, automatic colour, enlargement of pictures.
    std::map<std::string, std::string> additional{};
};

/// The kinds `makeMark` builds, from the library's list of kinds.
[[nodiscard]] std::vector<std::string> markKindNames();

/// Adds the placement and style options above to `command`, storing into `options`.
void addMarkOptions(CLI::App& command, MarkOptions& options);

/// Builds a watermark of `kind` from the options; `text` is the content of a text mark (the
/// image kind takes its picture from options.image, or from `text` when that is empty), whose
/// picture is kept in `storage`. Throws CliError (exit 2) naming the option when a value is
/// malformed or a picture cannot be read.
[[nodiscard]] OVWatermarkPtr makeMark(std::string_view kind, const MarkOptions& options,
                                      const std::string& text, const OVStorageFolder& storage);

/// Keys `setMarkProperty` understands, for --help and error hints.
[[nodiscard]] std::vector<std::string> markPropertyKeys();

/// Sets one KEY=VALUE of `watermark set`. Throws CliError (exit 2) for an unknown key or a
/// malformed value.
void setMarkProperty(OVWatermark& watermark, std::string_view key, std::string_view value);

} // namespace cli
