#include "inkstead/platform/imageio/ColorConversion_p.h"

#include <lcms2.h>

#include <array>
#include <cstdlib>

namespace ov::imageio {
namespace {

struct ProfileCloser {
    void operator()(void* profile) const { cmsCloseProfile(profile); }
};
using Profile = std::unique_ptr<void, ProfileCloser>;

Profile openProfile(const std::vector<uint8_t>& icc) {
    if (icc.empty())
        return nullptr;
    return Profile(cmsOpenProfileFromMem(icc.data(), static_cast<cmsUInt32Number>(icc.size())));
}

// Relative colorimetric: a colour inside both gamuts stays that colour; the transforms may be
// used from several threads (no cache).
cmsHTRANSFORM transform(cmsHPROFILE from, cmsHPROFILE to) {
    return cmsCreateTransform(from, TYPE_BGRA_8_PREMUL, to, TYPE_BGRA_8_PREMUL,
                              INTENT_RELATIVE_COLORIMETRIC, cmsFLAGS_NOCACHE | cmsFLAGS_COPY_ALPHA);
}

// Whether every primary, secondary and grey level converts to itself within a level.
bool isIdentity(cmsHTRANSFORM transform) {
    std::array<uint8_t, 4 * 64> pixels{};
    std::size_t count = 0;
    for (int level : {0, 64, 128, 192, 255})
        for (int mask = 1; mask < 8; ++mask, ++count) {
            pixels[count * 4 + 0] = (mask & 1) ? level : 0;
            pixels[count * 4 + 1] = (mask & 2) ? level : 0;
            pixels[count * 4 + 2] = (mask & 4) ? level : 0;
            pixels[count * 4 + 3] = 255;
        }
    auto converted = pixels;
    cmsDoTransform(transform, pixels.data(), converted.data(), static_cast<cmsUInt32Number>(count));
    for (std::size_t i = 0; i < count * 4; ++i)
        if (std::abs(int(pixels[i]) - int(converted[i])) > 1)
            return false;
    return true;
}

} // namespace

bool fitsRGBPixels(const std::vector<uint8_t>& icc) {
    const Profile profile = openProfile(icc);
    return !profile || cmsGetColorSpace(profile.get()) == cmsSigRgbData;
}

std::unique_ptr<const ColorConversion>
ColorConversion::withProfile(const std::vector<uint8_t>& icc) {
    const Profile profile = openProfile(icc);
    if (!profile || cmsGetColorSpace(profile.get()) != cmsSigRgbData)
        return nullptr;
    const Profile sRGB(cmsCreate_sRGBProfile());
    cmsHTRANSFORM toSRGB = transform(profile.get(), sRGB.get());
    cmsHTRANSFORM fromSRGB = transform(sRGB.get(), profile.get());
    if (toSRGB == nullptr || fromSRGB == nullptr || isIdentity(fromSRGB)) {
        if (toSRGB != nullptr)
            cmsDeleteTransform(toSRGB);
        if (fromSRGB != nullptr)
            cmsDeleteTransform(fromSRGB);
        return nullptr;
    }
    return std::unique_ptr<const ColorConversion>(new ColorConversion(toSRGB, fromSRGB));
}

ColorConversion::ColorConversion(void* toSRGB, void* fromSRGB)
    : toSRGB_(toSRGB), fromSRGB_(fromSRGB) {}

ColorConversion::~ColorConversion() {
    cmsDeleteTransform(toSRGB_);
    cmsDeleteTransform(fromSRGB_);
}

void ColorConversion::toSRGB(uint8_t* pixels, std::size_t count) const {
    cmsDoTransform(toSRGB_, pixels, pixels, static_cast<cmsUInt32Number>(count));
}

void ColorConversion::fromSRGB(uint8_t* pixels, std::size_t count) const {
    cmsDoTransform(fromSRGB_, pixels, pixels, static_cast<cmsUInt32Number>(count));
}

} // namespace ov::imageio
