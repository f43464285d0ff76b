#include "inkstead/watermarks/OVShapeWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

// How a shape watermark is archived and how it describes itself.

void OVShapeWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeFloat(static_cast<float>(strokeThickness()), kOVShapeStrokeThickness);
    coder.encodeColor(strokeColor(), kOVShapeStrokeColorKey);
    coder.encodeColor(fillColor(), kOVShapeFillColorKey);
    coder.encodeInt64(static_cast<std::int64_t>(shapeType()), kOVShapeTypeKey);
    coder.encodeFloat(static_cast<float>(lineDash()), kOVShapeLineDashKey);
}

bool OVShapeWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    // Factory defaults are not applied: a missing key gives 0 or no colour.
    setStrokeThickness(coder.decodeFloat(kOVShapeStrokeThickness));
    setStrokeColor(coder.decodeColor(kOVShapeStrokeColorKey));
    setFillColor(coder.decodeColor(kOVShapeFillColorKey));
    setShapeType(static_cast<OVShapeType>(coder.decodeInt64(kOVShapeTypeKey)));
    setLineDash(coder.decodeFloat(kOVShapeLineDashKey));
    return true;
}

const OVWatermarkKind& OVShapeWatermark::kind() {
    using namespace ov::detail;
    static const OVWatermarkKind kind{
        .name = "shape",
        .type = OVWatermarkTypeShape,
        .className = "OVShapeWatermark",
        .title = "Shape",
        .make = [] { return std::static_pointer_cast<OVWatermark>(shapeWatermark()); },
        .sharedSettings =
            OVSharedSettingOpacity | OVSharedSettingAnchorPlacement | OVSharedSettingAreaPlacement | OVSharedSettingTiling,
        .properties = joined(
            {
                choiceProperty<OVShapeWatermark, OVShapeType>(
                    "shape", "shape", "Figure", {"square", "circle"}, OVShapeTypeSquare,
                    &OVShapeWatermark::shapeType, &OVShapeWatermark::setShapeType),
                numberProperty<OVShapeWatermark>(
                    "strokeThickness", "stroke", "Line width", 0, kMaxGeometry, 2.0,
                    &OVShapeWatermark::strokeThickness, &OVShapeWatermark::setStrokeThickness),
                colorProperty<OVShapeWatermark>("strokeColor", "color", "Outline colour",
                                                ov::Color::black(), &OVShapeWatermark::strokeColor,
                                                &OVShapeWatermark::setStrokeColor),
                colorProperty<OVShapeWatermark>("fillColor", "fill", "Fill colour",
                                                ov::Color::clear(), &OVShapeWatermark::fillColor,
                                                &OVShapeWatermark::setFillColor),
                numberProperty<OVShapeWatermark>("lineDash", "dash", "Dash length", 0, kMaxGeometry,
                                                 0.0, &OVShapeWatermark::lineDash,
                                                 &OVShapeWatermark::setLineDash),
            },
            tilingProperties()),
        .registerArchivedClass = archivedClass<OVShapeWatermark>("OVShapeWatermark"),
        .classType = &typeid(OVShapeWatermark),
    };
    return kind;
}
