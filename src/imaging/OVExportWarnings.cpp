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
    return warnings;
}
