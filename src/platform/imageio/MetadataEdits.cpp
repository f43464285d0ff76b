#include "inkstead/platform/imageio/MetadataEdits.h"

#include "inkstead/platform/imageio/MetadataCodec_p.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <algorithm>
#include <array>
#include <functional>

namespace ov {
namespace {

constexpr std::array<std::string_view, 5> kPrivateExifTags{
    "BodySerialNumber", "LensSerialNumber", "CameraOwnerName", "ImageUniqueID", "MakerNote"};
// XMP properties by their qualified name (Exiv2's prefixes).
constexpr std::array<std::string_view, 9> kPrivateXMP{
    "aux:SerialNumber",        "aux:LensSerialNumber",    "aux:OwnerName",
    "exifEX:BodySerialNumber", "exifEX:LensSerialNumber", "exifEX:CameraOwnerName",
    "exif:ImageUniqueID",      "exifEX:ImageUniqueID",    "exif:MakerNote"};

constexpr std::array<std::string_view, 2> kCopyrightTIFF{"Artist", "Copyright"};
constexpr std::array<std::string_view, 4> kCopyrightIPTC{
    "Application2.Byline", "Application2.Copyright", "Application2.Credit",
    "Application2.RecordVersion"};
constexpr std::array<std::string_view, 4> kCopyrightXMP{"dc:rights", "dc:creator",
                                                        "xmpRights:", "photoshop:Credit"};

template <std::size_t N>
bool startsWithAny(std::string_view text, const std::array<std::string_view, N>& prefixes) {
    return std::any_of(prefixes.begin(), prefixes.end(),
                       [&](std::string_view prefix) { return text.starts_with(prefix); });
}

// Keeps the entries of the sub-dictionary `name` for which `keep` is true.
void filterDictionary(Properties& properties, std::string_view name,
                      const std::function<bool(const std::string&)>& keep) {
    const Properties* dictionary = properties.dictionary(name);
    if (dictionary == nullptr)
        return;
    Properties kept;
    for (const auto& [key, entry] : dictionary->entries())
        if (keep(key))
            kept.setEntry(key, entry);
    properties.setDictionary(name, std::move(kept));
}

// Runs `edit` on the parsed XMP packet and stores the result; a packet that cannot be parsed
// is left as it is. Properties without XMP get a packet only when `edit` adds something.
void editXMP(Properties& properties, const std::function<void(Exiv2::XmpData&)>& edit) {
    imageio::ensureExiv2();
    try {
        Exiv2::XmpData xmp;
        const auto packet = properties.string(kOVPropertyXMP);
        if (packet && !packet->empty() && Exiv2::XmpParser::decode(xmp, *packet) != 0)
            return;
        edit(xmp);
        if (xmp.empty() && !packet)
            return;
        std::string encoded;
        if (Exiv2::XmpParser::encode(encoded, xmp, Exiv2::XmpParser::useCompactFormat) == 0)
            properties.set(kOVPropertyXMP, encoded);
    } catch (const std::exception&) {
    }
}

// Erases the XMP properties whose qualified name ("aux:SerialNumber") `drop` picks.
void eraseXMP(Exiv2::XmpData& xmp, const std::function<bool(const std::string&)>& drop) {
    for (auto it = xmp.begin(); it != xmp.end();) {
        if (drop(it->groupName() + ":" + it->tagName()))
            it = xmp.erase(it);
        else
            ++it;
    }
}

// Replaces an XMP property with one value (an array of one for dc:creator, the default language
// for dc:rights: the types Exiv2 knows these properties by).
void replaceXMP(Exiv2::XmpData& xmp, const std::string& key, std::string_view value) {
    const Exiv2::XmpKey xmpKey(key);
    for (auto it = xmp.findKey(xmpKey); it != xmp.end(); it = xmp.findKey(xmpKey))
        xmp.erase(it);
    xmp[key] = std::string(value);
}

bool isASCII(std::string_view text) {
    return std::all_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

} // namespace

void removePrivateMetadata(Properties& properties) {
    filterDictionary(properties, kOVPropertyExifDictionary,
                     [](const std::string& key) { return !startsWithAny(key, kPrivateExifTags); });
    filterDictionary(properties, kOVPropertyTIFFDictionary,
                     [](const std::string& key) { return key != "CameraSerialNumber"; });
    // Besides the interoperability tags, the other EXIF directories are the maker notes'.
    filterDictionary(properties, kOVPropertyExifAuxDictionary,
                     [](const std::string& key) { return key.starts_with("Exif.Iop."); });
    if (properties.contains(kOVPropertyXMP))
        editXMP(properties, [](Exiv2::XmpData& xmp) {
            eraseXMP(xmp, [](const std::string& name) { return startsWithAny(name, kPrivateXMP); });
        });
}

void keepOnlyCopyrightMetadata(Properties& properties) {
    for (auto name :
         {kOVPropertyExifDictionary, kOVPropertyGPSDictionary, kOVPropertyExifAuxDictionary})
        properties.remove(name);
    filterDictionary(properties, kOVPropertyTIFFDictionary, [](const std::string& key) {
        return std::find(kCopyrightTIFF.begin(), kCopyrightTIFF.end(), key) != kCopyrightTIFF.end();
    });
    filterDictionary(properties, kOVPropertyIPTCDictionary, [](const std::string& key) {
        return key.starts_with("Envelope.") ||
               std::find(kCopyrightIPTC.begin(), kCopyrightIPTC.end(), key) != kCopyrightIPTC.end();
    });
    if (properties.contains(kOVPropertyXMP))
        editXMP(properties, [](Exiv2::XmpData& xmp) {
            eraseXMP(xmp,
                     [](const std::string& name) { return !startsWithAny(name, kCopyrightXMP); });
        });
}

void setAuthorshipMetadata(Properties& properties, std::string_view artist,
                           std::string_view copyright) {
    if (artist.empty() && copyright.empty())
        return;
    const std::pair<std::string_view, std::string_view> fields[] = {{artist, "Artist"},
                                                                    {copyright, "Copyright"}};
    for (const auto& [value, tag] : fields)
        if (!value.empty())
            properties.mutableDictionary(kOVPropertyTIFFDictionary).set(tag, std::string(value));
    editXMP(properties, [&](Exiv2::XmpData& xmp) {
        if (!artist.empty())
            replaceXMP(xmp, "Xmp.dc.creator", artist);
        if (!copyright.empty())
            replaceXMP(xmp, "Xmp.dc.rights", copyright);
    });
    if (!properties.dictionary(kOVPropertyIPTCDictionary))
        return;
    auto& iptc = properties.mutableDictionary(kOVPropertyIPTCDictionary);
    if (!artist.empty())
        iptc.set("Application2.Byline", std::string(artist));
    if (!copyright.empty())
        iptc.set("Application2.Copyright", std::string(copyright));
    // IPTC text is Latin-1 unless the envelope says UTF-8.
    if ((!isASCII(artist) || !isASCII(copyright)) && !iptc.contains("Envelope.CharacterSet"))
        iptc.set("Envelope.CharacterSet", std::string("\x1b%G"));
}

} // namespace ov
