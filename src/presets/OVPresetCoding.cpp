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
    // The newer settings only when set, so that a record without them is written as before.
    if (metadataPolicy() > OVMetadataPolicyStripLocation)
        coder.encodeInt64(static_cast<std::int64_t>(metadataPolicy()), kOVMetadataPolicy);
    if (!metadataArtist().empty())
        coder.encodeString(metadataArtist(), kOVMetadataArtist);
    if (!metadataCopyright().empty())
        coder.encodeString(metadataCopyright(), kOVMetadataCopyright);
    if (outputFormat() != OVOutputFormatSource)
        coder.encodeInt64(static_cast<std::int64_t>(outputFormat()), kOVOutputFormatKey);
    if (outputQuality() > 0)
        coder.encodeDouble(outputQuality(), kOVOutputQuality);
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
    // Values this reader does not know (from a newer writer, or damaged) keep the defaults.
    if (const auto policy = coder.decodeInt64(kOVMetadataPolicy);
        policy > std::int64_t{OVMetadataPolicyStripLocation} &&
        policy <= std::int64_t{OVMetadataPolicyCopyrightOnly})
        setMetadataPolicy(static_cast<OVMetadataPolicy>(policy));
    setMetadataArtist(coder.decodeString(kOVMetadataArtist).value_or(""));
    setMetadataCopyright(coder.decodeString(kOVMetadataCopyright).value_or(""));
    if (const auto format = coder.decodeInt64(kOVOutputFormatKey);
        format > 0 && format <= std::int64_t{OVOutputFormatJPEGXL})
        setOutputFormat(static_cast<OVOutputFormat>(format));
    setOutputQuality(coder.decodeDouble(kOVOutputQuality));
    setShouldSave(false); // naming marks the preset dirty; a decoded preset has no changes
    sharedSetup();
    return true;
}
