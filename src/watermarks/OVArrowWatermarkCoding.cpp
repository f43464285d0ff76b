#include "inkstead/watermarks/OVArrowWatermark.h"
#include "inkstead/watermarks/OVWatermarkKind_p.h"

// How an arrow watermark is archived and how it describes itself.

void OVArrowWatermark::encodeWithCoder(ov::KeyedArchiver& coder) const {
    OVWatermark::encodeWithCoder(coder);
    coder.encodeFloat(static_cast<float>(strokeThickness()), kOVArrowStrokeThickness);
    coder.encodeColor(strokeColor(), kOVArrowStrokeColorKey);
    coder.encodePoint(beginPoint(), kOVArrowShapeBeginPointKey);
    coder.encodePoint(endPoint(), kOVArrowShapeEndPointKey);
    coder.encodeSize(relativeBeginning(), kOVArrowShapeRelativeBeginKey);
    coder.encodeSize(relativeEnding(), kOVArrowShapeRelativeEndKey);
}

bool OVArrowWatermark::initWithCoder(ov::KeyedUnarchiver& coder) {
    if (!OVWatermark::initWithCoder(coder))
        return false;
    setStrokeThickness(coder.decodeFloat(kOVArrowStrokeThickness));
    setStrokeColor(coder.decodeColor(kOVArrowStrokeColorKey));
    setRelativeBeginning(coder.decodeSize(kOVArrowShapeRelativeBeginKey));
    setRelativeEnding(coder.decodeSize(kOVArrowShapeRelativeEndKey));
    // The direction flags are not stored: the points rebuild them. The bounds are still zero
    // here, so the fractions just read are left alone.
    setBeginPoint(coder.decodePoint(kOVArrowShapeBeginPointKey));
    setEndPoint(coder.decodePoint(kOVArrowShapeEndPointKey));
    return true;
}

namespace {

// The arrow's ends: setting one rebuilds origin, size and direction.
template <class Value>
OVWatermarkProperty arrowGeometry(std::string_view key, std::string_view label, bool editable,
                                  Value (OVArrowWatermark::*getter)() const,
                                  void (OVArrowWatermark::*setter)(Value)) {
    auto property = ov::detail::accessorProperty(key, {}, label, Value{}, getter, setter);
    property.editable = editable;
    property.setsGeometry = true;
    property.minimum = -ov::detail::kMaxGeometry;
    property.maximum = ov::detail::kMaxGeometry;
    return property;
}

} // namespace

const OVWatermarkKind& OVArrowWatermark::kind() {
    using namespace ov::detail;
    void (OVArrowWatermark::*setBegin)(ov::Point) = &OVArrowWatermark::setBeginPoint;
    void (OVArrowWatermark::*setEnd)(ov::Point) = &OVArrowWatermark::setEndPoint;
    static const OVWatermarkKind kind{
        .name = "arrow",
        .type = OVWatermarkTypeArrow,
        .className = "OVArrowWatermark",
        .title = "Arrow",
        .make = [] { return std::static_pointer_cast<OVWatermark>(arrowWatermark()); },
        .sharedSettings = OVSharedSettingOpacity | OVSharedSettingShadow,
        .properties =
            {
                numberProperty<OVArrowWatermark>(
                    "strokeThickness", "stroke", "Line width", 0, kMaxGeometry, 10.0,
                    &OVArrowWatermark::strokeThickness, &OVArrowWatermark::setStrokeThickness),
                colorProperty<OVArrowWatermark>("strokeColor", "color", "Colour",
                                                ov::Color::black(), &OVArrowWatermark::strokeColor,
                                                &OVArrowWatermark::setStrokeColor),
                arrowGeometry<ov::Point>("begin", "Start", true, &OVArrowWatermark::beginPoint,
                                         setBegin),
                arrowGeometry<ov::Point>("end", "Tip", true, &OVArrowWatermark::endPoint, setEnd),
                arrowGeometry<ov::Size>("relativeBegin", "Start on the image", false,
                                        &OVArrowWatermark::relativeBeginning,
                                        &OVArrowWatermark::setRelativeBeginning),
                arrowGeometry<ov::Size>("relativeEnd", "Tip on the image", false,
                                        &OVArrowWatermark::relativeEnding,
                                        &OVArrowWatermark::setRelativeEnding),
            },
        .registerArchivedClass = archivedClass<OVArrowWatermark>("OVArrowWatermark"),
        .classType = &typeid(OVArrowWatermark),
    };
    return kind;
}
