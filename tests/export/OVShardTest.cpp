#include "inkstead/export/OVShard.h"
#include "inkstead/export/OVFilenamePattern.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <map>

namespace fs = std::filesystem;
using ov::test::TempDir;
using ov::test::writeFile;

TEST(OVShard, EveryPositionBelongsToExactlyOneShard) {
    for (const std::size_t total : {0u, 1u, 7u, 100u})
        for (const std::size_t count : {1u, 2u, 3u, 8u, 150u}) {
            std::vector<int> owners(total, 0);
            for (std::size_t k = 1; k <= count; ++k)
                for (const std::size_t p : OVShard{k, count}.positions(total)) {
                    ASSERT_LT(p, total);
                    EXPECT_TRUE((OVShard{k, count}.contains(p)));
                    ++owners[p];
                }
            for (std::size_t p = 0; p < total; ++p)
                EXPECT_EQ(owners[p], 1) << p << " of " << total << " in " << count << " shards";
        }
    EXPECT_TRUE(OVShard{}.positions(0).empty());
    EXPECT_TRUE((OVShard{0, 4}.positions(10).empty())); // no such task: nothing, never everything
}

struct EnvironmentCase {
    const char* name;
    std::map<std::string, std::string> variables;
    std::size_t count;
    std::size_t expected; // 0: refused
};

class ShardFromEnvironment : public testing::TestWithParam<EnvironmentCase> {};

TEST_P(ShardFromEnvironment, ReadsTheSchedulersTaskNumber) {
    const auto& c = GetParam();
    const auto environment = [&c](const char* name) -> const char* {
        const auto it = c.variables.find(name);
        return it == c.variables.end() ? nullptr : it->second.c_str();
    };
    const auto shard = OVShard::fromEnvironment(c.count, environment);
    if (c.expected == 0) {
        ASSERT_FALSE(shard);
        EXPECT_EQ(shard.error().code, std::errc::invalid_argument);
    } else {
        ASSERT_TRUE(shard) << shard.error().message;
        EXPECT_EQ(shard->index, c.expected);
        EXPECT_EQ(shard->count, c.count);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tasks, ShardFromEnvironment,
    testing::Values(EnvironmentCase{"slurmOneBased",
                                    {{"SLURM_ARRAY_TASK_ID", "4"}, {"SLURM_ARRAY_TASK_MIN", "1"}},
                                    4,
                                    4},
                    EnvironmentCase{"slurmResubmittedAlone",
                                    {{"SLURM_ARRAY_TASK_ID", "3"}, {"SLURM_ARRAY_TASK_MIN", "3"}},
                                    4,
                                    3},
                    EnvironmentCase{"slurmZeroBasedArray",
                                    {{"SLURM_ARRAY_TASK_ID", "3"}, {"SLURM_ARRAY_TASK_MIN", "0"}},
                                    4,
                                    4},
                    EnvironmentCase{"slurmTaskZero", {{"SLURM_ARRAY_TASK_ID", "0"}}, 4, 1},
                    EnvironmentCase{"slurmBeyondTheCount", {{"SLURM_ARRAY_TASK_ID", "5"}}, 4, 0},
                    EnvironmentCase{"slurmNotANumber", {{"SLURM_ARRAY_TASK_ID", "3x"}}, 4, 0},
                    EnvironmentCase{"kubernetesZeroBased", {{"JOB_COMPLETION_INDEX", "0"}}, 4, 1},
                    EnvironmentCase{"kubernetesLast", {{"JOB_COMPLETION_INDEX", "3"}}, 4, 4},
                    EnvironmentCase{"kubernetesBeyond", {{"JOB_COMPLETION_INDEX", "4"}}, 4, 0},
                    EnvironmentCase{"noScheduler", {}, 4, 0},
                    EnvironmentCase{"noShards", {{"SLURM_ARRAY_TASK_ID", "1"}}, 0, 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The union of the shards gives every source the name one unsharded batch gives it: the running
// number is the global position, and equal names go to the earlier source in the whole list.
TEST(OVPlanShard, UnionOfShardsNamesLikeTheWholeList) {
    TempDir dir;
    std::vector<fs::path> sources;
    for (int i = 0; i < 11; ++i)
        sources.push_back(dir / ("in/" + std::string(i % 2 ? "a/" : "b/") +
                                 (i % 3 ? "x.jpg" : "photo" + std::to_string(i) + ".jpg")));
    // A file under a name already in the output folder changes nothing: names come from the list.
    writeFile(dir / "out/x.jpg", "earlier");

    for (const bool pattern : {false, true}) {
        OVOutputNaming naming{dir / "out"};
        if (pattern) {
            naming.pattern = OVFilenamePattern::pattern();
            naming.pattern->setTokens({"filename", "-", "increment"});
        }
        const OVShardPlan whole = OVPlanShard(sources, naming, {});
        ASSERT_EQ(whole.names.size(), sources.size());
        EXPECT_EQ(whole.names[1], pattern ? "x-002.jpg" : "x.jpg");
        EXPECT_EQ(whole.names[2], pattern ? "x-003.jpg" : "x_Watermarked_1.jpg");
        for (const std::size_t count : {2u, 3u, 5u}) {
            std::vector<fs::path> united(sources.size());
            for (std::size_t k = 1; k <= count; ++k) {
                const OVShardPlan part = OVPlanShard(sources, naming, {k, count});
                ASSERT_EQ(part.positions.size(), part.names.size());
                for (std::size_t i = 0; i < part.positions.size(); ++i)
                    united[part.positions[i]] = part.names[i];
            }
            EXPECT_EQ(united, whole.names) << count << " shards, pattern " << pattern;
        }
    }
}
