#include "inkstead/imaging/OVExportWarnings.h"

#include "inkstead/platform/imageio/ImageDestination.h"

std::vector<std::string> OVExportWarnings(const ov::Properties& sourceProperties,
                                          const std::string& sourceType,
                                          const std::string& outputType) {
    std::vector<std::string> warnings;
    if (const auto count = sourceProperties.integer(ov::kOVPropertyImageCount);
        count && *count > 1) {
        const bool animation =
            sourceType == "com.compuserve.gif" || sourceType == "org.webmproject.webp";
        warnings.push_back("only the first of " + std::to_string(*count) +
                           (animation ? " frames" : " pages") + " was written");
    }
    const std::string& written = outputType.empty() ? sourceType : outputType;
    if (const auto depth = sourceProperties.integer(ov::kOVPropertyDepth);
        depth && *depth > 8 && !(*depth == 16 && ov::ImageDestination::keepsSixteenBits(written)))
        warnings.push_back(std::to_string(*depth) + "-bit colour was reduced to 8 bits");
    if (sourceProperties.contains(ov::kOVPropertyDamagedXMP))
        warnings.push_back("the XMP metadata is not valid XML and was left out");
    // The JPEG XL encoder of the image library writes the colour profile but no EXIF or XMP.
    if (outputType == "public.jxl" && (sourceProperties.contains(ov::kOVPropertyExifDictionary) ||
                                       sourceProperties.contains(ov::kOVPropertyTIFFDictionary) ||
                                       sourceProperties.contains(ov::kOVPropertyXMP)))
        warnings.push_back("JPEG XL outputs carry no EXIF or XMP metadata; it was left out");
    return warnings;
}
