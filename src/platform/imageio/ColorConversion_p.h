#pragma once

// Private to the image I/O folder: converting the colours of marks, which are drawn in sRGB,
// into the colour space of the photograph they are drawn on (LittleCMS).

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace ov::imageio {

/// Converts native premultiplied B, G, R, A pixels between sRGB and an RGB ICC profile.
class ColorConversion {
public:
    /// Null when the profile is not an RGB profile that can be read, or when it is sRGB itself
    /// (every colour converts to itself within a level): there is nothing to convert then.
    static std::unique_ptr<const ColorConversion> withProfile(const std::vector<uint8_t>& icc);
    ~ColorConversion();
    ColorConversion(const ColorConversion&) = delete;
    ColorConversion& operator=(const ColorConversion&) = delete;

    /// From the profile's space into sRGB, in place.
    void toSRGB(uint8_t* pixels, std::size_t count) const;
    /// From sRGB into the profile's space, in place.
    void fromSRGB(uint8_t* pixels, std::size_t count) const;

private:
    ColorConversion(void* toSRGB, void* fromSRGB);
    void* toSRGB_;
    void* fromSRGB_;
};

/// False for a profile of another colour space than RGB (grey, CMYK, Lab), which cannot describe
/// the library's RGB output; true otherwise, also for bytes that are no profile it can read
/// (they are passed on as they came).
bool fitsRGBPixels(const std::vector<uint8_t>& icc);

} // namespace ov::imageio
