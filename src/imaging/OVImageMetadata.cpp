#include "imaging/OVImageMetadata.h"

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
    std::vector<std::string> xmpPrefixes{"tiff:Orientation", "tiff:XResolution",
                                         "tiff:YResolution"};
    if (stripLocation) {
        xmpPrefixes.emplace_back("exif:GPS");
    }
    properties.removeXMPProperties(xmpPrefixes);
    return properties;
}
