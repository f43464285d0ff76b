#include "inkstead/platform/imageio/ImageDestination.h"
#include "inkstead/platform/imageio/ImageSource.h"

#include "support/CameraPhoto.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace {

using ov::ImageDestination;
using ov::ImageSource;
using ov::Properties;

using ov::test::dict;
using ov::test::kMakerNote;
using ov::test::kXmp;
using ov::test::writeCameraPhoto;

bool hasEmbeddedPreview(const std::filesystem::path& path) {
    auto image = Exiv2::ImageFactory::open(path.string());
    image->readMetadata();
    auto& exif = image->exifData();
    return Exiv2::ExifThumbC(exif).copy().size_ > 0;
}

TEST(MetadataTest, ReadsEveryBlock) {
    ov::test::TempDir dir;
    writeCameraPhoto(dir / "camera.jpg");
    ASSERT_TRUE(hasEmbeddedPreview(dir / "camera.jpg"));
    const auto p = ImageSource::createWithURL(dir / "camera.jpg")->properties();
    EXPECT_EQ(p.integer(ov::kOVPropertyPixelWidth), 200);
    EXPECT_EQ(p.number(ov::kOVPropertyDPIWidth), 300);
    EXPECT_EQ(p.integer(ov::kOVPropertyOrientation), 1);
    EXPECT_EQ(dict(p, ov::kOVPropertyTIFFDictionary).string("Make"), "Inkstead Optics");
    EXPECT_EQ(dict(p, ov::kOVPropertyTIFFDictionary).number("XResolution"), 300);
    EXPECT_EQ(dict(p, ov::kOVPropertyExifDictionary).string("DateTimeOriginal"),
              "2024:05:01 10:20:30");
    EXPECT_NEAR(dict(p, ov::kOVPropertyExifDictionary).number("ExposureTime").value_or(0), 0.004,
                1e-9);
    EXPECT_EQ(dict(p, ov::kOVPropertyExifDictionary).bytes("MakerNote"), kMakerNote);
    EXPECT_EQ(dict(p, ov::kOVPropertyGPSDictionary).string("GPSLatitudeRef"), "N");
    const auto* keywords = dict(p, ov::kOVPropertyIPTCDictionary).entry("Application2.Keywords");
    ASSERT_TRUE(keywords);
    EXPECT_EQ(std::get<Properties::StringList>(keywords->value),
              (Properties::StringList{"harbour", "dawn"}));
    EXPECT_NE(p.string(ov::kOVPropertyXMP).value_or("").find("Harbour at dawn"), std::string::npos);
    EXPECT_GT(p.bytes(ov::kOVPropertyICCProfile).value_or(Properties::Bytes{}).size(), 100u);
    // The embedded preview is no part of the dictionary.
    for (const auto& key : dict(p, ov::kOVPropertyExifAuxDictionary).keys()) {
        EXPECT_EQ(key.find("Thumbnail"), std::string::npos) << key;
    }
}

// Written with the dictionary it was read with, a new file carries the same metadata, and
// no preview of the source.
TEST(MetadataTest, RoundTripsThroughEveryWritableContainer) {
    ov::test::TempDir dir;
    writeCameraPhoto(dir / "camera.jpg");
    auto source = ImageSource::createWithURL(dir / "camera.jpg");
    const auto original = source->properties();
    const auto pixels = source->createThumbnail(200);
    ASSERT_TRUE(pixels);
    for (const std::string type :
         {"public.jpeg", "public.png", "public.tiff", "org.webmproject.webp", "public.heic"}) {
        if (!ImageDestination::canWriteType(type)) {
            continue;
        }
        const bool heif = type == "public.heic";
        const auto out = dir / ("out-" + type);
        auto destination = ImageDestination::createWithURL(out, type);
        ASSERT_TRUE(destination) << type;
        destination->addImage(pixels, &original);
        ASSERT_TRUE(destination->finalize()) << type << " " << destination->error().message();
        if (!heif) {
            EXPECT_FALSE(hasEmbeddedPreview(out)) << type;
        }
        auto reread = ImageSource::createWithURL(out);
        ASSERT_TRUE(reread) << type;
        EXPECT_EQ(reread->type(), type);
        const auto p = reread->properties();
        for (const auto* key :
             {ov::kOVPropertyExifDictionary.data(), ov::kOVPropertyGPSDictionary.data(),
              ov::kOVPropertyIPTCDictionary.data()}) {
            if ((type == "org.webmproject.webp" || heif) && key == ov::kOVPropertyIPTCDictionary) {
                continue; // the container has no place for IPTC
            }
            if (heif) {
                // The HEIF encoder adds tags of its own (colour space, pixel dimensions).
                for (const auto& [name, entry] : dict(original, key).entries()) {
                    const auto* written = dict(p, key).entry(name);
                    ASSERT_TRUE(written) << type << " " << name;
                    EXPECT_EQ(*written, entry) << type << " " << name;
                }
                continue;
            }
            EXPECT_EQ(dict(p, key), dict(original, key)) << type << " " << key;
        }
        EXPECT_EQ(dict(p, ov::kOVPropertyTIFFDictionary).string("Model"), "Test Body II") << type;
        EXPECT_EQ(p.bytes(ov::kOVPropertyICCProfile), original.bytes(ov::kOVPropertyICCProfile))
            << type;
        EXPECT_NE(p.string(ov::kOVPropertyXMP).value_or("").find("Harbour at dawn"),
                  std::string::npos)
            << type;
        auto image = reread->createThumbnail(200);
        ASSERT_TRUE(image) << type;
        EXPECT_NEAR(image->colorAt(190, 5).red, pixels->colorAt(190, 5).red, 0.05) << type;
    }
}

TEST(MetadataTest, RemovesXmpPropertiesByPrefix) {
    Properties p;
    p.set(ov::kOVPropertyXMP, std::string(kXmp));
    EXPECT_EQ(p.removeXMPProperties({"exif:GPS"}), 2);
    const auto packet = p.string(ov::kOVPropertyXMP).value();
    EXPECT_EQ(packet.find("exif:GPSLongitude"), std::string::npos);
    EXPECT_NE(packet.find("Harbour at dawn"), std::string::npos);
    EXPECT_NE(packet.find("DateTimeOriginal"), std::string::npos);
    EXPECT_EQ(p.removeXMPProperties({"exif:GPS"}), 0);
    Properties broken;
    broken.set(ov::kOVPropertyXMP, std::string("<not xmp"));
    EXPECT_EQ(broken.removeXMPProperties({"exif:GPS"}), 0);
    EXPECT_EQ(broken.string(ov::kOVPropertyXMP), "<not xmp");
}

// The writer never replaces a file and leaves nothing behind when it fails.
TEST(ImageDestinationTest, CreatesExclusivelyAndAtomically) {
    ov::test::TempDir dir;
    const auto taken = dir / "taken.jpg";
    ov::test::writeFile(taken, "precious");
    auto image = ov::Image::createNative(10, 10);
    auto destination = ImageDestination::createWithURL(taken, "public.jpeg");
    destination->addImage(image, nullptr);
    EXPECT_FALSE(destination->finalize());
    EXPECT_EQ(destination->error(), std::errc::file_exists);
    EXPECT_EQ(ov::test::readFile(taken), "precious");

    auto empty = ImageDestination::createWithURL(dir / "none.png", "public.png");
    EXPECT_FALSE(empty->finalize()); // no image added
    EXPECT_FALSE(ImageDestination::createWithURL(dir / "x.bmp", "com.microsoft.bmp"));
    auto nowhere = ImageDestination::createWithURL(dir / "missing-folder" / "x.png", "public.png");
    nowhere->addImage(image, nullptr);
    EXPECT_FALSE(nowhere->finalize());
    // Only the taken file: no temporary left over.
    EXPECT_EQ(ov::test::listDirectory(dir.path()), std::vector<std::string>{"taken.jpg"});
}

TEST(ImageDestinationTest, QualityAndResolution) {
    ov::test::TempDir dir;
    ov::test::writeOrientedPhoto(dir / "photo.jpg", 600, 400, 1);
    auto source = ImageSource::createWithURL(dir / "photo.jpg");
    ASSERT_TRUE(source);
    auto pixels = source->createThumbnail(600);
    ASSERT_TRUE(pixels);
    std::size_t sizes[2];
    int i = 0;
    for (double quality : {0.3, 0.95}) {
        auto destination = ImageDestination::createWithURL(dir / ("q" + std::to_string(i) + ".jpg"),
                                                           "public.jpeg");
        destination->setLossyCompressionQuality(quality);
        Properties p;
        p.set(ov::kOVPropertyDPIWidth, int64_t{72});
        p.set(ov::kOVPropertyDPIHeight, int64_t{72});
        destination->addImage(pixels, &p);
        ASSERT_TRUE(destination->finalize());
        sizes[i++] = destination->encodedSize();
    }
    EXPECT_LT(sizes[0] * 2, sizes[1]);
    const auto reread = ImageSource::createWithURL(dir / "q0.jpg")->properties();
    EXPECT_NEAR(reread.number(ov::kOVPropertyDPIWidth).value_or(0), 72, 0.5);
}

// Translucent pixels keep their colour through formats with alpha; JPEG gets them over black.
TEST(ImageDestinationTest, TranslucencyByFormat) {
    ov::test::TempDir dir;
    std::vector<uint8_t> bgra(16 * 8 * 4);
    for (std::size_t i = 0; i < bgra.size(); i += 4) {
        // premultiplied: straight (r, g, b) = (200, 100, 0) at alpha 128
        bgra[i + 0] = 0;
        bgra[i + 1] = 50;
        bgra[i + 2] = 100;
        bgra[i + 3] = 128;
    }
    auto image = ov::Image::create(16, 8, 64, ov::kNativeBitmapInfo, bgra);
    for (const std::string type :
         {"public.png", "public.tiff", "org.webmproject.webp", "public.jpeg"}) {
        const auto path = dir / ("t-" + type);
        auto destination = ImageDestination::createWithURL(path, type);
        destination->setLossyCompressionQuality(1.0);
        destination->addImage(image, nullptr);
        ASSERT_TRUE(destination->finalize()) << type;
        auto decoded = ImageSource::createWithURL(path)->createThumbnail(16);
        ASSERT_TRUE(decoded) << type;
        const auto c = decoded->colorAt(8, 4);
        const bool opaqueFormat = type == "public.jpeg";
        EXPECT_NEAR(c.alpha, opaqueFormat ? 1.0 : 128 / 255.0, 0.01) << type;
        EXPECT_NEAR(c.red * 255, opaqueFormat ? 100 : 200, 6) << type;
        EXPECT_NEAR(c.green * 255, opaqueFormat ? 50 : 100, 6) << type;
    }
}

} // namespace
