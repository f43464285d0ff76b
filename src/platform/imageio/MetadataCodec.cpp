#include "inkstead/platform/imageio/MetadataCodec_p.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
#include <exiv2/exiv2.hpp>
#pragma GCC diagnostic pop

#include <array>
#include <cmath>
#include <mutex>
#include <string_view>

namespace ov::imageio {
namespace {

std::mutex xmpToolkitMutex;

void lockXmpToolkit(void*, bool lock) {
    if (lock) {
        xmpToolkitMutex.lock();
    } else {
        xmpToolkitMutex.unlock();
    }
}

// Tags that describe how the source's pixels were stored, or point at blocks that the writer
// lays out itself: copying them into another file would describe data that is not there.
bool isStructuralTag(std::string_view group, std::string_view tag) {
    static constexpr std::array<std::string_view, 30> kImageTags{"ImageWidth",
                                                                 "ImageLength",
                                                                 "BitsPerSample",
                                                                 "Compression",
                                                                 "PhotometricInterpretation",
                                                                 "StripOffsets",
                                                                 "SamplesPerPixel",
                                                                 "RowsPerStrip",
                                                                 "StripByteCounts",
                                                                 "PlanarConfiguration",
                                                                 "TileWidth",
                                                                 "TileLength",
                                                                 "TileOffsets",
                                                                 "TileByteCounts",
                                                                 "SampleFormat",
                                                                 "ExtraSamples",
                                                                 "Predictor",
                                                                 "NewSubfileType",
                                                                 "SubfileType",
                                                                 "SubIFDs",
                                                                 "JPEGTables",
                                                                 "ExifTag",
                                                                 "GPSTag",
                                                                 "XMLPacket",
                                                                 "IPTCNAA",
                                                                 "InterColorProfile",
                                                                 "JPEGInterchangeFormat",
                                                                 "JPEGInterchangeFormatLength",
                                                                 "PageNumber",
                                                                 "PageName"};
    if (group == "Image") {
        for (auto t : kImageTags) {
            if (t == tag) {
                return true;
            }
        }
        return false;
    }
    return group == "Photo" && tag == "InteroperabilityTag";
}

// Only the first picture's directories are copied: the EXIF thumbnail (IFD1) and the further
// pages and sub-images of a TIFF (Image2, SubImage1, SubThumb1, ...) describe pictures that
// the output does not hold, and copying them would chain directories to data that is not there.
bool isOtherPictureGroup(std::string_view group) {
    return group == "Thumbnail" || group.starts_with("SubThumb") || group.starts_with("SubImage") ||
           (group.starts_with("Image") && group != "Image");
}

// Previews kept inside maker notes show the picture without its watermarks.
bool isMakerNotePreview(std::string_view group, std::string_view tag) {
    if (group == "Image" || group == "Photo" || group == "GPSInfo") {
        return false;
    }
    const auto mentions = [](std::string_view text, std::string_view word) {
        return text.find(word) != std::string_view::npos;
    };
    return mentions(group, "Preview") || mentions(group, "Thumb") || mentions(tag, "Preview") ||
           mentions(tag, "Thumb");
}

bool isIntegerType(Exiv2::TypeId t) {
    switch (t) {
    case Exiv2::unsignedByte:
    case Exiv2::unsignedShort:
    case Exiv2::unsignedLong:
    case Exiv2::signedByte:
    case Exiv2::signedShort:
    case Exiv2::signedLong:
        return true;
    default:
        return false;
    }
}

bool isRealType(Exiv2::TypeId t) {
    return t == Exiv2::unsignedRational || t == Exiv2::signedRational || t == Exiv2::tiffFloat ||
           t == Exiv2::tiffDouble;
}

Properties::Entry entryForExif(const Exiv2::Exifdatum& datum) {
    Properties::Entry entry;
    const auto type = datum.typeId();
    entry.encodingType = static_cast<uint16_t>(type);
    entry.encoding = datum.value().toString();
    if (datum.count() == 1 && isIntegerType(type)) {
        entry.value = static_cast<int64_t>(datum.toLong());
    } else if (datum.count() == 1 && isRealType(type)) {
        entry.value = static_cast<double>(datum.toFloat());
    } else if (type == Exiv2::asciiString) {
        auto text = datum.toString();
        while (!text.empty() && text.back() == '\0') {
            text.pop_back();
        }
        entry.value = text;
    } else if (type == Exiv2::undefined && datum.size() > 0) {
        Properties::Bytes bytes(datum.size());
        datum.copy(bytes.data(), Exiv2::littleEndian);
        entry.value = std::move(bytes);
    } else {
        entry.value = datum.toString();
    }
    return entry;
}

void readExif(const Exiv2::ExifData& exif, Properties& properties) {
    for (const auto& datum : exif) {
        const auto group = datum.groupName();
        const auto tag = datum.tagName();
        if (isOtherPictureGroup(group) || isStructuralTag(group, tag) ||
            isMakerNotePreview(group, tag)) {
            continue;
        }
        std::string_view dictionary;
        std::string key = tag;
        if (group == "Image") {
            dictionary = kOVPropertyTIFFDictionary;
        } else if (group == "Photo") {
            dictionary = kOVPropertyExifDictionary;
        } else if (group == "GPSInfo") {
            dictionary = kOVPropertyGPSDictionary;
        } else {
            dictionary = kOVPropertyExifAuxDictionary;
            key = datum.key();
        }
        properties.mutableDictionary(dictionary).setEntry(key, entryForExif(datum));
    }
}

void readIptc(const Exiv2::IptcData& iptc, Properties& properties) {
    if (iptc.empty()) {
        return;
    }
    auto& dictionary = properties.mutableDictionary(kOVPropertyIPTCDictionary);
    for (const auto& datum : iptc) {
        const std::string key = datum.recordName() + "." + datum.tagName();
        const auto text = datum.toString();
        if (const auto* existing = dictionary.entry(key)) {
            // A repeated dataset (keywords, contacts): the values become a list.
            Properties::StringList list;
            if (const auto* s = std::get_if<std::string>(&existing->value)) {
                list.push_back(*s);
            } else if (const auto* l = std::get_if<Properties::StringList>(&existing->value)) {
                list = *l;
            }
            list.push_back(text);
            dictionary.setEntry(key, {std::move(list), existing->encodingType, {}});
        } else {
            dictionary.setEntry(key, {text, static_cast<uint16_t>(datum.typeId()), text});
        }
    }
}

// The EXIF block a decoder hands out starts with the JPEG marker's "Exif\0\0"; Exiv2's parser
// wants the TIFF structure behind it.
bool decodeExifBlob(const std::vector<uint8_t>& blob, Exiv2::ExifData& exif) {
    std::size_t offset = 0;
    if (blob.size() >= 6 && std::string_view(reinterpret_cast<const char*>(blob.data()), 6) ==
                                std::string_view("Exif\0\0", 6)) {
        offset = 6;
    }
    if (blob.size() <= offset + 8) {
        return false;
    }
    Exiv2::ExifParser::decode(exif, blob.data() + offset,
                              static_cast<uint32_t>(blob.size() - offset));
    return !exif.empty();
}

std::string rationalText(double value, bool isSigned) {
    if (isSigned) {
        const auto r = Exiv2::floatToRationalCast(static_cast<float>(value));
        return std::to_string(r.first) + "/" + std::to_string(r.second);
    }
    const auto r = Exiv2::floatToRationalCast(static_cast<float>(value));
    return std::to_string(std::abs(r.first)) + "/" + std::to_string(r.second);
}

// Builds the Exiv2 value of an entry: its remembered encoding when it has one, otherwise one
// derived from the value and the tag's usual type.
Exiv2::Value::AutoPtr valueForEntry(const Properties::Entry& entry, Exiv2::TypeId defaultType) {
    if (entry.encodingType != 0 && !entry.encoding.empty()) {
        auto value = Exiv2::Value::create(static_cast<Exiv2::TypeId>(entry.encodingType));
        if (value->read(entry.encoding) == 0) {
            return value;
        }
    }
    if (const auto* bytes = std::get_if<Properties::Bytes>(&entry.value)) {
        auto value = Exiv2::Value::create(Exiv2::undefined);
        value->read(bytes->data(), static_cast<long>(bytes->size()), Exiv2::littleEndian);
        return value;
    }
    std::string text;
    if (const auto* i = std::get_if<int64_t>(&entry.value)) {
        text = (defaultType == Exiv2::unsignedRational || defaultType == Exiv2::signedRational)
                   ? std::to_string(*i) + "/1"
                   : std::to_string(*i);
    } else if (const auto* r = std::get_if<double>(&entry.value)) {
        if (defaultType == Exiv2::unsignedRational || defaultType == Exiv2::signedRational) {
            text = rationalText(*r, defaultType == Exiv2::signedRational);
        } else if (isIntegerType(defaultType)) {
            text = std::to_string(static_cast<int64_t>(std::lround(*r)));
        } else {
            text = std::to_string(*r);
        }
    } else if (const auto* s = std::get_if<std::string>(&entry.value)) {
        text = *s;
    } else if (const auto* l = std::get_if<Properties::StringList>(&entry.value)) {
        for (const auto& item : *l) {
            text += (text.empty() ? "" : " ") + item;
        }
    }
    auto value = Exiv2::Value::create(defaultType == Exiv2::invalidTypeId ? Exiv2::asciiString
                                                                          : defaultType);
    if (value->read(text) != 0) {
        value = Exiv2::Value::create(Exiv2::asciiString);
        value->read(text);
    }
    return value;
}

void addExif(Exiv2::ExifData& exif, const std::string& key, const Properties::Entry& entry) {
    try {
        const Exiv2::ExifKey exifKey(key);
        auto value = valueForEntry(entry, exifKey.defaultTypeId());
        exif.add(exifKey, value.get());
    } catch (const std::exception&) {
        // An unknown or malformed tag name is left out.
    }
}

// Resolution stated per centimetre is restated per inch, the unit every reader knows.
void inchResolution(Exiv2::ExifData& exif) {
    const auto unit = exif.findKey(Exiv2::ExifKey("Exif.Image.ResolutionUnit"));
    if (unit == exif.end() || unit->toLong() != 3)
        return;
    for (const char* key : {"Exif.Image.XResolution", "Exif.Image.YResolution"}) {
        const auto value = exif.findKey(Exiv2::ExifKey(key));
        if (value != exif.end() && value->toFloat() > 0) {
            const auto r = Exiv2::floatToRationalCast(value->toFloat() * 2.54F);
            exif[key] =
                Exiv2::URational(static_cast<uint32_t>(r.first), static_cast<uint32_t>(r.second));
        }
    }
    exif["Exif.Image.ResolutionUnit"] = uint16_t(2);
}

Exiv2::ExifData exifFromProperties(const Properties& properties) {
    Exiv2::ExifData exif;
    const std::pair<std::string_view, std::string_view> groups[] = {
        {kOVPropertyTIFFDictionary, "Exif.Image."},
        {kOVPropertyExifDictionary, "Exif.Photo."},
        {kOVPropertyGPSDictionary, "Exif.GPSInfo."},
        {kOVPropertyExifAuxDictionary, ""},
    };
    for (const auto& [name, prefix] : groups) {
        if (const auto* dictionary = properties.dictionary(name)) {
            for (const auto& [key, entry] : dictionary->entries()) {
                addExif(exif, std::string(prefix) + key, entry);
            }
        }
    }
    // The stated resolution goes into the EXIF resolution tags, in dots per inch, unless the
    // TIFF dictionary states its own.
    const auto dpiX = properties.number(kOVPropertyDPIWidth);
    const auto dpiY = properties.number(kOVPropertyDPIHeight);
    if ((dpiX || dpiY) && exif.findKey(Exiv2::ExifKey("Exif.Image.XResolution")) == exif.end() &&
        exif.findKey(Exiv2::ExifKey("Exif.Image.YResolution")) == exif.end()) {
        addExif(exif, "Exif.Image.XResolution", {dpiX.value_or(*dpiY), 0, {}});
        addExif(exif, "Exif.Image.YResolution", {dpiY.value_or(*dpiX), 0, {}});
        exif["Exif.Image.ResolutionUnit"] = uint16_t(2);
    }
    inchResolution(exif);
    if (const auto orientation = properties.integer(kOVPropertyOrientation)) {
        Properties::Entry entry{*orientation, 0, {}};
        addExif(exif, "Exif.Image.Orientation", entry);
    }
    return exif;
}

Exiv2::IptcData iptcFromProperties(const Properties& properties) {
    Exiv2::IptcData iptc;
    const auto* dictionary = properties.dictionary(kOVPropertyIPTCDictionary);
    if (dictionary == nullptr) {
        return iptc;
    }
    for (const auto& [key, entry] : dictionary->entries()) {
        try {
            const Exiv2::IptcKey iptcKey("Iptc." + key);
            const auto type =
                entry.encodingType != 0
                    ? static_cast<Exiv2::TypeId>(entry.encodingType)
                    : Exiv2::IptcDataSets::dataSetType(iptcKey.tag(), iptcKey.record());
            Properties::StringList items;
            if (const auto* l = std::get_if<Properties::StringList>(&entry.value)) {
                items = *l;
            } else if (const auto* s = std::get_if<std::string>(&entry.value)) {
                items.push_back(*s);
            } else if (const auto* i = std::get_if<int64_t>(&entry.value)) {
                items.push_back(std::to_string(*i));
            }
            for (const auto& item : items) {
                auto value = Exiv2::Value::create(type);
                if (value->read(item) == 0) {
                    iptc.add(iptcKey, value.get());
                }
            }
        } catch (const std::exception&) {
        }
    }
    return iptc;
}

bool isValidXmp(const std::string& packet) {
    try {
        Exiv2::XmpData parsed;
        return Exiv2::XmpParser::decode(parsed, packet) == 0;
    } catch (const std::exception&) {
        return false;
    }
}

} // namespace

void ensureExiv2() {
    static std::once_flag once;
    std::call_once(once, [] {
        Exiv2::LogMsg::setLevel(Exiv2::LogMsg::mute);
        Exiv2::XmpParser::initialize(lockXmpToolkit, nullptr);
#ifdef EXV_ENABLE_BMFF
        Exiv2::enableBMFF(true);
#endif
    });
}

bool readMetadata(const std::filesystem::path& path, const std::vector<uint8_t>* bytes,
                  const std::vector<uint8_t>& exifBlob, const std::vector<uint8_t>& xmpBlob,
                  Properties& properties) {
    ensureExiv2();
    Exiv2::ExifData exif;
    Exiv2::IptcData iptc;
    std::string xmpPacket;
    try {
        auto image =
            bytes ? Exiv2::ImageFactory::open(bytes->data(), static_cast<long>(bytes->size()))
                  : Exiv2::ImageFactory::open(path.string());
        if (image.get() != nullptr) {
            image->readMetadata();
            exif = image->exifData();
            iptc = image->iptcData();
            xmpPacket = image->xmpPacket();
        }
    } catch (const std::exception&) {
        // A container Exiv2 does not know, or a damaged block: fall back on the decoder's blocks.
    }
    try {
        if (exif.empty() && !exifBlob.empty()) {
            decodeExifBlob(exifBlob, exif);
        }
    } catch (const std::exception&) {
        exif.clear();
    }
    if (xmpPacket.empty() && !xmpBlob.empty()) {
        xmpPacket.assign(xmpBlob.begin(), xmpBlob.end());
        while (!xmpPacket.empty() && xmpPacket.back() == '\0') {
            xmpPacket.pop_back();
        }
    }
    try {
        readExif(exif, properties);
        readIptc(iptc, properties);
    } catch (const std::exception&) {
        return false;
    }
    if (!xmpPacket.empty()) {
        if (isValidXmp(xmpPacket)) {
            properties.set(kOVPropertyXMP, xmpPacket);
        } else {
            properties.set(kOVPropertyDamagedXMP, int64_t{1});
        }
    }
    return !exif.empty() || !iptc.empty() || !xmpPacket.empty();
}

bool writeMetadata(const Properties& properties, const uint8_t* data, std::size_t size,
                   const std::function<void()>& releaseInput, std::vector<uint8_t>& encoded) {
    ensureExiv2();
    try {
        auto image = Exiv2::ImageFactory::open(data, static_cast<long>(size));
        if (image.get() == nullptr) {
            return false;
        }
        image->readMetadata();
        image->setExifData(exifFromProperties(properties));
        image->setIptcData(iptcFromProperties(properties));
        image->clearXmpData();
        if (const auto packet = properties.string(kOVPropertyXMP)) {
            image->setXmpPacket(*packet);
            image->writeXmpFromPacket(true);
        } else {
            image->clearXmpPacket();
        }
        image->writeMetadata();
        // Exiv2 reads the input in place until the rewrite above has replaced it.
        releaseInput();
        auto& io = image->io();
        io.seek(0, Exiv2::BasicIo::beg);
        const auto size = static_cast<std::size_t>(io.size());
        std::vector<uint8_t> result(size);
        if (io.read(result.data(), static_cast<long>(size)) != static_cast<long>(size)) {
            return false;
        }
        encoded = std::move(result);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

std::vector<uint8_t> encodeExif(const Properties& properties) {
    ensureExiv2();
    try {
        const auto exif = exifFromProperties(properties);
        if (exif.empty()) {
            return {};
        }
        Exiv2::Blob blob;
        Exiv2::ExifParser::encode(blob, Exiv2::littleEndian, exif);
        std::vector<uint8_t> result{'E', 'x', 'i', 'f', 0, 0};
        result.insert(result.end(), blob.begin(), blob.end());
        return result;
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace ov::imageio
