#include "inkstead/watermarks/OVStrikethroughWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

// How a strikethrough watermark is archived and how it describes itself.

void OVStrikethroughWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeColor(color(), kOVStrikethroughWatermarkColor);
    coder.encodeFloat(static_cast<float>(lineDash()), kOVStrikethroughWatermarkLineDash);
    coder.encodeFloat(static_cast<float>(strokeThickness()),
                      kOVStrikethroughWatermarkStrokeThickness);
}

bool OVStrikethroughWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setColor(coder.decodeColor(kOVStrikethroughWatermarkColor));
    setLineDash(coder.decodeFloat(kOVStrikethroughWatermarkLineDash));
    setStrokeThickness(coder.decodeFloat(kOVStrikethroughWatermarkStrokeThickness));
    return true;
}

const OVWatermarkKind& OVStrikethroughWatermark::kind() {
    using namespace ov::detail;
    static const OVWatermarkKind kind{
        .name = "strikethrough",
        .type = OVWatermarkTypeStrikethrough,
        .className = "OVStrikethroughWatermark",
        .title = "Strikethrough",
        .make = [] { return std::static_pointer_cast<OVWatermark>(strikethroughWatermark()); },
        .sharedSettings = OVSharedSettingOpacity,
        .properties =
            {
                colorProperty<OVStrikethroughWatermark>(
                    "color", "color", "Colour", ov::Color::black(),
                    &OVStrikethroughWatermark::color, &OVStrikethroughWatermark::setColor),
                numberProperty<OVStrikethroughWatermark>(
                    "strokeThickness", "stroke", "Line width", 0, kMaxGeometry, 3.0,
                    &OVStrikethroughWatermark::strokeThickness,
                    &OVStrikethroughWatermark::setStrokeThickness),
                numberProperty<OVStrikethroughWatermark>(
                    "lineDash", "dash", "Dash length", 0, kMaxGeometry, 0.0,
                    &OVStrikethroughWatermark::lineDash, &OVStrikethroughWatermark::setLineDash),
            },
        .registerArchivedClass =
            archivedClass<OVStrikethroughWatermark>("OVStrikethroughWatermark"),
        .classType = &typeid(OVStrikethroughWatermark),
    };
    return kind;
}
