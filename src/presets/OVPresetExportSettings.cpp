// The export settings of a preset: the output size of its resize settings, the metadata
// policy, the output format.

#include "inkstead/presets/OVPreset.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double kMinimumFraction = 0.05;

ov::Size scaleToWidth(ov::Size size, double width, double aspect) {
    return {width, width / aspect};
}
ov::Size scaleToHeight(ov::Size size, double height, double aspect) {
    return {aspect * height, height};
}

} // namespace

ov::Size OVPreset::scaleSizeWithPresetResizeSettings(ov::Size size) const {
    if (!shouldResize()) {
        return size;
    }
    const double w = size.width;
    const double h = size.height;
    const double aspect = w / h;
    const auto constraint = resizeConstraint();
    // Which side receives the target; the longest side counts a square as wide.
    const bool widthSide = constraint == OVResizeConstraintWidth ||
                           (constraint == OVResizeConstraintLongestSide && aspect >= 1);
    const bool heightSide = constraint == OVResizeConstraintHeight ||
                            (constraint == OVResizeConstraintLongestSide && !(aspect >= 1));
    if (!widthSide && !heightSide) {
        return size;
    }
    switch (resizeMethod()) {
    case OVResizeMethodPercentage: {
        // 50 and 0.5 both mean half; anything above 100 % means 100 %.
        double v = resizeValue();
        if (v > 1.0) {
            v = std::min(v / 100.0, 1.0);
        }
        const double f = kMinimumFraction > v ? kMinimumFraction : v;
        return widthSide ? scaleToWidth(size, w * f, aspect) : scaleToHeight(size, h * f, aspect);
    }
    case OVResizeMethodPixels: {
        const double side = widthSide ? w : h;
        const double t =
            kMinimumFraction * side > resizeValue() ? kMinimumFraction * side : resizeValue();
        if (t > side) {
            return size; // never enlarge
        }
        return widthSide ? scaleToWidth(size, t, aspect) : scaleToHeight(size, t, aspect);
    }
    default:
        return size;
    }
}

void OVPreset::setShouldStripMetadata(bool strip) {
    if (!strip)
        metadataPolicy_ = OVMetadataPolicyKeepAll;
    else if (metadataPolicy_ == OVMetadataPolicyKeepAll)
        metadataPolicy_ = OVMetadataPolicyStripLocation;
}

void OVPreset::setOutputQuality(double quality) {
    outputQuality_ = std::isfinite(quality) ? std::clamp(quality, 0.0, 1.0) : 0.0;
}

std::string_view OVOutputFormatType(OVOutputFormat format) {
    switch (format) {
    case OVOutputFormatJPEG:
        return "public.jpeg";
    case OVOutputFormatPNG:
        return "public.png";
    case OVOutputFormatWebP:
        return "org.webmproject.webp";
    case OVOutputFormatAVIF:
        return "public.avif";
    case OVOutputFormatJPEGXL:
        return "public.jxl";
    default:
        return {};
    }
}
