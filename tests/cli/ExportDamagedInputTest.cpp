// `inkstead export` on inputs and folders a hostile user or a flaky machine hands it: every run
// ends, writes valid files, says what it dropped and names what failed.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "inkstead/platform/imageio/ImageSource.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/mount.h>

#include <fstream>
#include <functional>

namespace fs = std::filesystem;
using ov::test::TempDir;

namespace {

vips::VImage picture(int width, int height) {
    return ov::test::uprightPicture(width, height);
}

// A picture of `count` pages (or frames) stacked as libvips stores them.
vips::VImage pages(int count) {
    auto page = picture(48, 32);
    auto all = page;
    for (int i = 1; i < count; ++i)
        all = all.join(page, VIPS_DIRECTION_VERTICAL);
    all = all.copy();
    all.set("page-height", 32);
    return all;
}

struct DamagedCase {
    const char* name;
    std::function<void(const fs::path& in)> make; // writes the inputs into `in`
    std::vector<std::string> extraArguments;
    int exitCode;
    const char* message; // expected on standard error ("" for anything)
    std::size_t outputs;
    std::vector<std::string> wrapper{}; // runs the command under lowered privileges or limits
};

void writeBrokenXmpPhoto(const fs::path& in) {
    auto image = picture(48, 32).copy();
    const std::string packet = "<x:xmpmeta xmlns:x=\"adobe:ns:meta/\"><rdf:RDF><unclosed";
    image.set(VIPS_META_XMP_NAME, nullptr, const_cast<char*>(packet.data()), packet.size());
    image.write_to_file((in / "broken-xmp.jpg").c_str());
}

const DamagedCase kCases[] = {
    {"MultiPageTiff",
     [](const fs::path& in) { pages(3).write_to_file((in / "pages.tif").c_str()); },
     {},
     0,
     "only the first of 3 pages was written",
     1},
    {"TiledPyramidTiff",
     [](const fs::path& in) {
         picture(600, 400).write_to_file(
             (in / "pyramid.tif").c_str(),
             vips::VImage::option()->set("tile", true)->set("pyramid", true));
     },
     {},
     0,
     "",
     1},
    {"AnimatedGif",
     [](const fs::path& in) { pages(3).write_to_file((in / "anim.gif").c_str()); },
     {},
     0,
     "only the first of 3 frames was written",
     1},
    {"SixteenBitPng",
     [](const fs::path& in) {
         (picture(48, 32).cast(VIPS_FORMAT_USHORT) * 257)
             .cast(VIPS_FORMAT_USHORT)
             .copy(vips::VImage::option()->set("interpretation", VIPS_INTERPRETATION_RGB16))
             .write_to_file((in / "deep.png").c_str());
     },
     {"--format", "jpeg"}, // PNG would keep the 16 bits

     0,
     "16-bit colour was reduced to 8 bits",
     1},
    {"XmpThatIsNotXml", writeBrokenXmpPhoto, {}, 0, "XMP metadata is not valid XML", 1},
    {"PatternLongerThanANameMayBe",
     [](const fs::path& in) { clitest::writeTestPhoto(in / "a.jpg"); },
     {"--pattern", std::string(300, 'x') + ",increment"},
     1,
     "File name too long",
     0},
    {"UnreadableSubfolder",
     [](const fs::path& in) {
         clitest::writeTestPhoto(in / "a.jpg");
         clitest::writeTestPhoto(in / "locked" / "b.jpg");
         fs::permissions(in / "locked", fs::perms::none);
     },
     {},
     1,
     "locked: cannot read the folder: Permission denied",
     1,
     clitest::boundByPermissions()},
    // Pictures stream from decoder to encoder: a photograph whose canvas alone (768 MB) would
    // not fit beside the process in the limit still exports.
    {"LargerThanTheMemoryLimitAllows",
     [](const fs::path& in) {
         (vips::VImage::black(16000, 12000, vips::VImage::option()->set("bands", 3)) + 90)
             .cast(VIPS_FORMAT_UCHAR)
             .write_to_file((in / "huge.jpg").c_str());
         clitest::writeTestPhoto(in / "small.jpg");
     },
     {"-j", "1", "--text", "(c) Inkstead"},
     0,
     "",
     2,
     {"/usr/bin/prlimit", "--as=1100000000", "--"}},
};

void PrintTo(const DamagedCase& c, std::ostream* os) {
    *os << c.name;
}

class ExportDamagedInput : public testing::TestWithParam<DamagedCase> {};

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true; // the sanitizers reserve more address space than any limit
#else
constexpr bool kSanitized = false;
#endif

TEST_P(ExportDamagedInput, EndsWithValidFilesAndSaysWhatWasLost) {
    const DamagedCase& c = GetParam();
    if (kSanitized && !c.wrapper.empty() && c.wrapper.front() == "/usr/bin/prlimit")
        GTEST_SKIP() << "a memory limit cannot be set under a sanitizer";
    TempDir dir;
    fs::create_directories(dir / "in" / "locked");
    c.make(dir / "in");
    std::vector<std::string> args{"export", (dir / "in").string(), "-o", (dir / "out").string(),
                                  "-q"};
    args.insert(args.end(), c.extraArguments.begin(), c.extraArguments.end());
    const auto result = clitest::runInkstead(args, {.home = dir / "home", .wrapper = c.wrapper});
    fs::permissions(dir / "in" / "locked", fs::perms::owner_all);
    EXPECT_EQ(result.exitCode, c.exitCode) << result.err;
    EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;

    std::size_t outputs = 0;
    for (const auto& name : ov::test::listDirectory(dir / "out")) {
        ASSERT_NE(name.front(), '.') << "a temporary file was left: " << name;
        ++outputs;
        // One valid picture, its resolution stated per inch.
        const auto source = ov::ImageSource::createWithURL(dir / "out" / name);
        ASSERT_TRUE(source) << name;
        const auto properties = source->properties();
        EXPECT_FALSE(properties.contains(ov::kOVPropertyImageCount)) << name;
        EXPECT_TRUE(clitest::decodeUpright(dir / "out" / name)) << name;
        if (source->type() == "public.tiff") {
            const auto* tiff = properties.dictionary(ov::kOVPropertyTIFFDictionary);
            ASSERT_TRUE(tiff);
            EXPECT_EQ(tiff->integer("ResolutionUnit"), 2) << name;
            // No directory chained after the picture's own (they would point at no data).
            auto file = Exiv2::ImageFactory::open((dir / "out" / name).string());
            file->readMetadata();
            for (const auto& datum : file->exifData()) {
                const std::string group = datum.groupName();
                EXPECT_TRUE(group == "Image" || !group.starts_with("Image")) << datum.key();
                EXPECT_NE(group, "Thumbnail") << datum.key();
            }
        }
    }
    EXPECT_EQ(outputs, c.outputs);
}

INSTANTIATE_TEST_SUITE_P(Cases, ExportDamagedInput, testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

// Drawing surfaces end at 32767 pixels a side; a wider photograph is still watermarked, with
// its mark where it belongs and the rest of the picture untouched.
TEST(ExportWide, MarkLandsOnAPictureWiderThanADrawingSurface) {
    TempDir dir;
    fs::create_directories(dir / "in");
    picture(40000, 400).write_to_file((dir / "in" / "wide.png").c_str());
    (vips::VImage::black(100, 100, vips::VImage::option()->set("bands", 3)) +
     std::vector{255.0, 0.0, 0.0})
        .cast(VIPS_FORMAT_UCHAR)
        .write_to_file((dir / "red.png").c_str());
    const auto result =
        clitest::runInkstead({"export", (dir / "in").string(), "-o", (dir / "out").string(), "-q",
                              "--logo", (dir / "red.png").string(), "--anchor", "bottom-right",
                              "--margin", "0%", "--width", "0.5%"},
                             {.home = dir / "home"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    // Read with libvips: the library's own bitmaps share the drawing surfaces' limit.
    const auto original = vips::VImage::new_from_file((dir / "in" / "wide.png").c_str());
    const auto image = vips::VImage::new_from_file((dir / "out" / "wide.png").c_str());
    ASSERT_EQ(image.width(), 40000);
    ASSERT_EQ(image.height(), 400);
    const auto mark = image.getpoint(39900, 300);
    EXPECT_EQ(mark, (std::vector<double>{255, 0, 0}));
    EXPECT_EQ((image.crop(0, 0, 39500, 400) - original.crop(0, 0, 39500, 400)).abs().max(), 0);
}

// A HEIF decoder turns the picture by the container's transforms; the EXIF tag must not turn
// (or stretch) it a second time.
TEST(ExportHeif, TaggedOrientationIsNotAppliedTwice) {
    TempDir dir;
    fs::create_directories(dir / "in");
    auto stored = picture(40, 80).copy();
    stored.set(VIPS_META_ORIENTATION, 6);
    try {
        stored.write_to_file((dir / "in" / "turned.avif").c_str());
    } catch (const vips::VError&) {
        GTEST_SKIP() << "this libvips cannot write AVIF";
    }
    const auto result =
        clitest::runInkstead({"export", (dir / "in").string(), "-o", (dir / "out").string(), "-q"},
                             {.home = dir / "home"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto properties = clitest::readProperties(dir / "out" / "turned.avif");
    EXPECT_EQ(properties.integer(ov::kOVPropertyPixelWidth), 40);
    EXPECT_EQ(properties.integer(ov::kOVPropertyPixelHeight), 80);
}

// Storing the picture of an image mark on a full disk says so, not that the picture is bad.
TEST(ExportDiskFull, StoringALogoSaysDiskFull) {
    TempDir dir;
    fs::create_directories(dir / "home");
    if (::mount("tmpfs", (dir / "home").c_str(), "tmpfs", 0, "size=256k") != 0)
        GTEST_SKIP() << "cannot mount a small file system here";
    struct Unmount {
        fs::path path;
        ~Unmount() { ::umount2(path.c_str(), MNT_DETACH); }
    } unmount{dir / "home"};
    fs::create_directories(dir / "in");
    clitest::writeTestPhoto(dir / "in" / "a.jpg");
    clitest::writeTestPhoto(dir / "logo.png");
    ASSERT_EQ(clitest::runInkstead({"presets", "list"}, {.home = dir / "home"}).exitCode, 0);
    {
        std::ofstream filler(dir / "home" / "filler", std::ios::binary);
        const std::string block(4096, 'f');
        while (filler.write(block.data(), static_cast<std::streamsize>(block.size())))
            ;
    }
    // A logo for one run is kept in memory; one added to a preset is stored.
    const auto adHoc =
        clitest::runInkstead({"export", (dir / "in").string(), "-o", (dir / "out").string(),
                              "--logo", (dir / "logo.png").string()},
                             {.home = dir / "home"});
    EXPECT_EQ(adHoc.exitCode, 0) << adHoc.err;
    const auto result =
        clitest::runInkstead({"watermark", "add", "Default", "image", (dir / "logo.png").string()},
                             {.home = dir / "home"});
    EXPECT_EQ(result.exitCode, 2) << result.err;
    EXPECT_NE(result.err.find("disk full"), std::string::npos) << result.err;
}

} // namespace
