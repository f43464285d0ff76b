#include "inkstead/imaging/OVImageMetadata.h"

#include "inkstead/platform/imageio/MetadataEdits.h"
#include "inkstead/presets/OVPreset.h"

namespace {

// Where a photograph was taken or what place it shows, by name or by code, in IPTC datasets and
// the XMP fields that carry them (the IPTC Core and Extension schemas, Photoshop's, EXIF's GPS).
constexpr const char* kIPTCPlaceKeys[] = {
    "Application2.City",         "Application2.SubLocation", "Application2.ProvinceState",
    "Application2.CountryCode",  "Application2.CountryName", "Application2.LocationCode",
    "Application2.LocationName",
};
constexpr const char* kXMPPlacePrefixes[] = {
    "exif:GPS",         "iptcExt:LocationCreated", "iptcExt:LocationShown", "iptc:Location",
    "iptc:CountryCode", "photoshop:City",          "photoshop:State",       "photoshop:Country",
};

} // namespace

std::optional<ov::Properties> propertiesForImageSource(const ov::ImageSourcePtr& source,
                                                       bool stripLocation) {
    if (!source) {
        return std::nullopt;
    }
    auto properties = source->properties();
    if (properties.empty()) {
        return std::nullopt;
    }
    return propertiesForExport(std::move(properties), stripLocation);
}

ov::Properties propertiesForExport(ov::Properties properties, bool stripLocation) {
    properties.remove(ov::kOVPropertyPixelWidth);
    properties.remove(ov::kOVPropertyPixelHeight);
    if (properties.contains(ov::kOVPropertyDPIWidth)) {
        properties.set(ov::kOVPropertyDPIWidth, int64_t{72});
    }
    if (properties.contains(ov::kOVPropertyDPIHeight)) {
        properties.set(ov::kOVPropertyDPIHeight, int64_t{72});
    }
    properties.remove(ov::kOVPropertyOrientation);
    if (stripLocation) {
        properties.remove(ov::kOVPropertyGPSDictionary);
        if (const auto* iptc = properties.dictionary(ov::kOVPropertyIPTCDictionary)) {
            auto edited = *iptc;
            for (const char* key : kIPTCPlaceKeys)
                edited.remove(key);
            properties.setDictionary(ov::kOVPropertyIPTCDictionary, std::move(edited));
        }
    }
    if (const auto* tiff = properties.dictionary(ov::kOVPropertyTIFFDictionary)) {
        auto edited = *tiff;
        edited.remove(ov::kOVPropertyTIFFOrientation);
        edited.remove(ov::kOVPropertyTIFFXResolution);
        edited.remove(ov::kOVPropertyTIFFYResolution);
        properties.setDictionary(ov::kOVPropertyTIFFDictionary, std::move(edited));
    }
    // The XMP packet may repeat what was removed above; a reader that honours its orientation
    // would turn the upright pixels again.
    // Its thumbnails show the picture without the watermarks.
    std::vector<std::string> xmpPrefixes{"tiff:Orientation", "tiff:XResolution", "tiff:YResolution",
                                         "xmp:Thumbnails"};
    if (stripLocation) {
        xmpPrefixes.insert(xmpPrefixes.end(), std::begin(kXMPPlacePrefixes),
                           std::end(kXMPPlacePrefixes));
    }
    properties.removeXMPProperties(xmpPrefixes);
    return properties;
}

ov::Properties propertiesForExport(ov::Properties properties, const OVPreset& preset) {
    const OVMetadataPolicy policy = preset.metadataPolicy();
    properties = propertiesForExport(std::move(properties), policy != OVMetadataPolicyKeepAll);
    if (policy == OVMetadataPolicyStripPrivate)
        ov::removePrivateMetadata(properties);
    else if (policy == OVMetadataPolicyCopyrightOnly)
        ov::keepOnlyCopyrightMetadata(properties);
    ov::setAuthorshipMetadata(properties, preset.metadataArtist(), preset.metadataCopyright());
    return properties;
}

bool OVAddOutputMark(ov::Properties& properties) {
    return properties.setXMPProperty(kOVOutputMarkNamespace, "inkstead", "Output", "watermarked");
}

bool OVHasOutputMark(const ov::Properties& properties) {
    return properties.XMPProperty(kOVOutputMarkNamespace, "Output").has_value();
}

bool OVIsMarkedOutput(const std::filesystem::path& path) {
    const auto source = ov::ImageSource::createWithURL(path);
    return source && OVHasOutputMark(source->properties());
}
