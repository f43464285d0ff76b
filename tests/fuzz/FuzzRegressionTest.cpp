// Every input that once made a fuzz target crash, hang or leak is replayed here through the
// target's own entry, so the fault cannot come back unnoticed.

#include "FuzzTargets.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <string_view>

namespace {

struct Regression {
    const char* name;   // what went wrong
    const char* target; // the fuzz target that found it
    std::string_view bytes;
};

// clang-format off
const Regression kRegressions[] = {
    {"placeholder", "filename_pattern", std::string_view("\x03\0\0\0\0\0\0\0\0\x01\0\0\0\0\0\0\0filename\na.b", 27)},
};
// clang-format on

class FuzzEntries : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ov::fuzz::initialize(home_->path()); }
    static void TearDownTestSuite() { home_.reset(); }
    static inline std::unique_ptr<ov::test::TempDir> home_ = std::make_unique<ov::test::TempDir>();
};

TEST_F(FuzzEntries, FormerFaultsRunCleanly) {
    for (const Regression& regression : kRegressions) {
        SCOPED_TRACE(regression.name);
        const auto* target = ov::fuzz::findTarget(regression.target);
        ASSERT_NE(target, nullptr);
        const auto* data = reinterpret_cast<const std::uint8_t*>(regression.bytes.data());
        EXPECT_EQ(target->run(data, regression.bytes.size()), 0);
    }
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
