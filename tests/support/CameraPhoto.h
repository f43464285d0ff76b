#pragma once

// A generated camera-like photograph with every kind of metadata (header-only, for test
// executables that link libvips and Exiv2).

#include "inkstead/platform/imageio/Properties.h"
#include "support/GeneratedPhotos.h"

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

namespace ov::test {

inline const std::vector<uint8_t> kMakerNote{'O', 'V', 'M', 'N', 0, 1, 2, 3, 250, 251, 252};

inline constexpr const char* kXmp = R"(<?xpacket begin="" id="W5M0MpCehiHzreSzNTczkc9d"?>
<x:xmpmeta xmlns:x="adobe:ns:meta/"><rdf:RDF xmlns:rdf="http://www.w3.org/1999/02/22-rdf-syntax-ns#">
<rdf:Description rdf:about="" xmlns:exif="http://ns.adobe.com/exif/1.0/" xmlns:dc="http://purl.org/dc/elements/1.1/"
 xmlns:tiff="http://ns.adobe.com/tiff/1.0/" exif:GPSLatitude="48,51.5N" exif:GPSLongitude="2,17.6E"
 exif:DateTimeOriginal="2024-05-01T10:20:30" tiff:Orientation="6"
 xmlns:photoshop="http://ns.adobe.com/photoshop/1.0/" photoshop:City="Lutetia"
 photoshop:State="Isleland" photoshop:Country="Gallia"
 xmlns:Iptc4xmpCore="http://iptc.org/std/Iptc4xmpCore/1.0/xmlns/"
 Iptc4xmpCore:Location="Quaybank" Iptc4xmpCore:CountryCode="GQX"
 xmlns:Iptc4xmpExt="http://iptc.org/std/Iptc4xmpExt/2008-02-29/"
 xmlns:xmp="http://ns.adobe.com/xap/1.0/" xmlns:xmpGImg="http://ns.adobe.com/xap/1.0/g/img/">
<dc:title><rdf:Alt><rdf:li xml:lang="x-default">Harbour at dawn</rdf:li></rdf:Alt></dc:title>
<Iptc4xmpExt:LocationCreated><rdf:Bag><rdf:li rdf:parseType="Resource">
 <Iptc4xmpExt:City>Createdtown</Iptc4xmpExt:City><exif:GPSLatitude>48,51.5N</exif:GPSLatitude>
</rdf:li></rdf:Bag></Iptc4xmpExt:LocationCreated>
<Iptc4xmpExt:LocationShown><rdf:Bag><rdf:li rdf:parseType="Resource">
 <Iptc4xmpExt:Sublocation>Showncourt</Iptc4xmpExt:Sublocation>
</rdf:li></rdf:Bag></Iptc4xmpExt:LocationShown>
<xmp:Thumbnails><rdf:Alt><rdf:li rdf:parseType="Resource">
 <xmpGImg:format>JPEG</xmpGImg:format><xmpGImg:image>UHJldmlld2J5dGVz</xmpGImg:image>
</rdf:li></rdf:Alt></xmp:Thumbnails>
</rdf:Description></rdf:RDF></x:xmpmeta>
<?xpacket end="w"?>)";

/// Place names of the photo below, in its XMP and IPTC: none may survive a location strip.
inline const std::vector<std::string> kPlaceNames{"Lutetia", "Isleland",    "Gallia",    "Quaybank",
                                                  "GQX",     "Createdtown", "Showncourt"};

// A camera-like JPEG: EXIF with maker note, location, resolution and an embedded preview;
// IPTC keywords; XMP; an ICC profile. The stored pixels are uprightPicture(width, height).
inline void writeCameraPhoto(const std::filesystem::path& path, int orientation = 1,
                             bool withDPIHeight = true, int width = 200, int height = 120) {
    auto picture = ov::test::uprightPicture(width, height).icc_transform("srgb");
    picture.write_to_file((path.string() + "[Q=90]").c_str());
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    Exiv2::ExifData exif;
    exif["Exif.Image.Make"] = "Inkstead Optics";
    exif["Exif.Image.Model"] = "Test Body II";
    exif["Exif.Image.Orientation"] = uint16_t(orientation);
    exif["Exif.Image.XResolution"] = Exiv2::URational(300, 1);
    if (withDPIHeight) {
        exif["Exif.Image.YResolution"] = Exiv2::URational(300, 1);
    }
    exif["Exif.Image.ResolutionUnit"] = uint16_t(2);
    exif["Exif.Photo.DateTimeOriginal"] = "2024:05:01 10:20:30";
    exif["Exif.Photo.ExposureTime"] = Exiv2::URational(1, 250);
    exif["Exif.Photo.LensModel"] = "Inkstead 35mm f/2";
    Exiv2::DataValue note(kMakerNote.data(), static_cast<long>(kMakerNote.size()));
    exif.add(Exiv2::ExifKey("Exif.Photo.MakerNote"), &note);
    exif["Exif.GPSInfo.GPSLatitudeRef"] = "N";
    Exiv2::URationalValue latitude;
    latitude.read("48/1 51/1 30/1");
    exif.add(Exiv2::ExifKey("Exif.GPSInfo.GPSLatitude"), &latitude);
    // An embedded preview made from the unwatermarked picture.
    void* preview = nullptr;
    std::size_t previewSize = 0;
    ov::test::uprightPicture(40, 24).write_to_buffer(".jpg", &preview, &previewSize);
    Exiv2::ExifThumb(exif).setJpegThumbnail(static_cast<const Exiv2::byte*>(preview),
                                            static_cast<long>(previewSize));
    g_free(preview);
    image->setExifData(exif);
    Exiv2::IptcData iptc;
    iptc["Iptc.Application2.Keywords"] = "harbour";
    Exiv2::StringValue second("dawn");
    iptc.add(Exiv2::IptcKey("Iptc.Application2.Keywords"), &second);
    iptc["Iptc.Application2.City"] = "Lutetia";
    iptc["Iptc.Application2.SubLocation"] = "Quaybank";
    iptc["Iptc.Application2.CountryName"] = "Gallia";
    image->setIptcData(iptc);
    image->setXmpPacket(kXmp);
    image->writeXmpFromPacket(true);
    image->writeMetadata();
}

/// The dictionary under `key` of a set of image properties, or an empty one.
inline const ov::Properties& dict(const ov::Properties& properties, std::string_view key) {
    static const ov::Properties empty;
    const auto* d = properties.dictionary(key);
    return d ? *d : empty;
}

} // namespace ov::test
