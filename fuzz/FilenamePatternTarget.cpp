#include "FuzzTargets.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVUniqueFilename.h"

#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace ov::fuzz {
namespace {

// The input: 8 bytes of digits, 1 byte of date style, 8 bytes of running number (all little
// endian, missing bytes read as 0), then lines: every line a token, the last one the file name.
constexpr std::size_t kHeaderSize = 17;

std::int64_t readInt64(const std::uint8_t* bytes) {
    std::uint64_t value = 0;
    for (int i = 7; i >= 0; --i)
        value = value << 8 | bytes[i];
    return static_cast<std::int64_t>(value);
}

void writeInt64(Bytes& out, std::int64_t value) {
    for (int i = 0; i < 8; ++i)
        out.push_back(static_cast<std::uint8_t>(static_cast<std::uint64_t>(value) >> (8 * i)));
}

} // namespace

int runFilenamePattern(const std::uint8_t* data, std::size_t size) {
    std::uint8_t header[kHeaderSize] = {};
    std::memcpy(header, data, std::min(size, kHeaderSize));
    const std::string_view text =
        size > kHeaderSize ? std::string_view(reinterpret_cast<const char*>(data) + kHeaderSize,
                                              size - kHeaderSize)
                           : std::string_view();

    std::vector<std::string> tokens;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string_view::npos; start = end + 1)
        tokens.emplace_back(text.substr(start, end - start));
    const std::string_view filename = text.substr(start);

    // One pattern for the whole run, as an export keeps one: its formatters are rebuilt only
    // when their settings change.
    static OVFilenamePattern pattern;
    pattern.setTokens(tokens);
    pattern.setNumberOfDigits(readInt64(header));
    if (pattern.dateStyle() != header[8])
        pattern.setDateStyle(header[8]);
    const std::string renamed = pattern.renameWithCurrentPattern(filename, readInt64(header + 9));
    (void)pattern.renameWithCurrentPattern(filename);

    // The new name always ends with the source's extension after a dot.
    const OVFilenameParts parts = OVSplitFilename(filename);
    const std::string ending = "." + parts.extension;
    if (renamed.size() < ending.size() ||
        renamed.compare(renamed.size() - ending.size(), ending.size(), ending) != 0)
        std::abort();
    (void)OVWatermarkedFilename(renamed, header[16]);
    return 0;
}

std::vector<Bytes> filenamePatternSeeds() {
    struct Seed {
        std::int64_t digits;
        std::uint8_t dateStyle;
        std::int64_t increment;
        std::string_view lines;
    };
    const Seed table[] = {
        {3, 0, 7, "filename\n-\nincrement\nIMG_0042.JPG"},
        {0, 1, -12, "date\n_\nfilename\nholiday.photo.tiff"},
        {9, 2, 123456789, "increment\ndate\n.profile"},
        {1, 7, 0, "filename\nREADME"},
    };
    std::vector<Bytes> seeds;
    for (const Seed& seed : table) {
        Bytes bytes;
        writeInt64(bytes, seed.digits);
        bytes.push_back(seed.dateStyle);
        writeInt64(bytes, seed.increment);
        bytes.insert(bytes.end(), seed.lines.begin(), seed.lines.end());
        seeds.push_back(std::move(bytes));
    }
    return seeds;
}

} // namespace ov::fuzz
