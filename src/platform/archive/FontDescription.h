#pragma once

#include <string>

namespace ov {

/// A font as a keyed archive stores it: the face name (such as "Helvetica-Bold") and the point
/// size. Resolving the name to an installed face is the text layer's job.
struct FontDescription {
    std::string name;
    double size = 0;

    friend bool operator==(const FontDescription&, const FontDescription&) = default;
};

} // namespace ov
