// Every input that once made a fuzz target hang, crash or leak is replayed here through the
// target's own entry, so the fault cannot come back unnoticed. Leaks show under
// scripts/sanitize.sh asan; a hang fails by the test's time limit.

#include "FuzzSupport.h"
#include "FuzzTargets.h"

#include "inkstead/platform/archive/KeyedArchiver.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>

namespace {

// The presets file of the every-kind preset with every stored 32-bit real equal to `from`
// replaced by `to` (the file stores each distinct number once).
ov::fuzz::Bytes presetsFileWithReal(float from, float to) {
    auto bytes = ov::KeyedArchiver::archivedDataWithRootArray({ov::fuzz::everyKindPreset(true)});
    const auto bigEndian = [](float value) {
        const auto bits = std::bit_cast<std::uint32_t>(value);
        return std::array<std::uint8_t, 5>{0x22, std::uint8_t(bits >> 24), std::uint8_t(bits >> 16),
                                           std::uint8_t(bits >> 8), std::uint8_t(bits)};
    };
    const auto needle = bigEndian(from), replacement = bigEndian(to);
    auto at = std::search(bytes.begin(), bytes.end(), needle.begin(), needle.end());
    EXPECT_NE(at, bytes.end());
    if (at != bytes.end())
        std::copy(replacement.begin(), replacement.end(), at);
    return bytes;
}

struct Regression {
    const char* fault;
    float from, to;
};

const Regression kArchiveRegressions[] = {
    // The shape's outline (and the strikethrough's dash) became 1e12 wide: Cairo built pens of
    // millions of vertices for every dash of the outline, for minutes.
    {"outline 1e12 units wide hung the render", 2, 1e12f},
    // The font engine refused the glyph size and Cairo leaked the font it was making.
    {"text of 70000 points leaked a font", 96, 7e4f},
};

class FuzzEntries : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ov::fuzz::initialize(home_->path()); }
    static void TearDownTestSuite() { home_.reset(); }
    static inline std::unique_ptr<ov::test::TempDir> home_ = std::make_unique<ov::test::TempDir>();
};

TEST_F(FuzzEntries, FormerArchiveFaultsRunCleanly) {
    for (const Regression& regression : kArchiveRegressions) {
        SCOPED_TRACE(regression.fault);
        const auto bytes = presetsFileWithReal(regression.from, regression.to);
        EXPECT_EQ(ov::fuzz::runArchive(bytes.data(), bytes.size()), 0);
    }
}

// A number too large for a double ("0.07E434") made the JSON parser throw an out-of-range
// error that the reader did not catch, ending the process.
TEST_F(FuzzEntries, FormerPresetJsonFaultsRunCleanly) {
    const std::string text = R"({"format": "inkstead-preset", "version": 1, "watermarks": [
        {"kind": "text", "maxSize": {"height": 0.0, "width": 0.07E434}}]})";
    EXPECT_EQ(ov::fuzz::runPresetJson(reinterpret_cast<const std::uint8_t*>(text.data()),
                                      text.size()),
              0);
}

// The seeds are the targets' well-formed inputs: each entry takes them end to end.
TEST_F(FuzzEntries, SeedsRunCleanly) {
    for (const auto& target : ov::fuzz::targets()) {
        SCOPED_TRACE(std::string(target.name));
        const auto seeds = target.seeds();
        EXPECT_FALSE(seeds.empty());
        for (const auto& seed : seeds)
            EXPECT_EQ(target.run(seed.data(), seed.size()), 0);
    }
}

} // namespace
