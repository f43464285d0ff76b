#include "inkstead/presets/OVPreset.h"
#include "inkstead/watermarks/OVWatermarkKind.h"

// The preset record: name, identifier, the watermark list (an immutable array of watermark
// records, each of its kind's class) and the export settings, in this order.

void OVRegisterPresetClasses() {
    static const bool registered =
        (OVRegisterWatermarkKinds(), OVKeyedClassRegistry::add<OVPreset>("OVPreset"));
    (void)registered;
}

void OVPreset::registerArchivedClasses() {
    OVRegisterPresetClasses();
}

void OVPreset::encodeWithCoder(ov::KeyedArchiver& coder) const {
    const auto list = watermarks();
    // A record read without name or identifier is written back without them.
    const std::string text = name();
    coder.encodeString(hasName() ? std::optional<std::string_view>(text) : std::nullopt,
                       kOVNameKey);
    coder.encodeUUID(uuid().isNil() ? std::nullopt : std::optional(uuid()), kOVUUIDKey);
    coder.encodeArray({list.begin(), list.end()}, kOVWatermarksKey);
    coder.encodeInt64(static_cast<std::int64_t>(resizeConstraint()), kOVResizeConstraint);
    coder.encodeInt64(static_cast<std::int64_t>(resizeMethod()), kOVResizeMethod);
    coder.encodeFloat(static_cast<float>(resizeValue()), kOVResizeValue);
    coder.encodeBoolNumber(shouldResize(), kOVResizeShouldResize);
    coder.encodeBoolNumber(shouldStripMetadata(), kOVShouldStripMetadata);
}

bool OVPreset::initWithCoder(ov::KeyedUnarchiver& coder) {
    setWatermarks(coder.decodeArrayOfObjectsOfClass<OVWatermark>(kOVWatermarksKey)
                      .value_or(std::vector<OVWatermarkPtr>{}));
    if (auto name = coder.decodeString(kOVNameKey))
        setName(std::move(*name));
    setUuid(coder.decodeUUID(kOVUUIDKey).value_or(ov::UUID()));
    setShouldResize(coder.decodeBoolNumber(kOVResizeShouldResize));
    setResizeConstraint(static_cast<OVResizeConstraint>(coder.decodeInt64(kOVResizeConstraint)));
    setResizeMethod(static_cast<OVResizeMethod>(coder.decodeInt64(kOVResizeMethod)));
    setResizeValue(coder.decodeFloat(kOVResizeValue));
    setShouldStripMetadata(coder.decodeBoolNumber(kOVShouldStripMetadata));
    setShouldSave(false); // naming marks the preset dirty; a decoded preset has no changes
    sharedSetup();
    return true;
}
