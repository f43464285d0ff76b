#include "inkstead/export/OVExportInputs.h"
#include "inkstead/export/OVExportOutcome.h"
#include "inkstead/export/OVShardInputs.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

namespace fs = std::filesystem;

namespace {

using Status = OVExportStatus;

TEST(ExportOutcome, InputsAreTakenOrRejectedInInputOrder) {
    ov::test::TempDir dir;
    fs::create_directories(dir / "photos");
    ov::test::writeOrientedPhoto(dir / "photos" / "a.jpg", 40, 30, 1);
    ov::test::writeFile(dir / "notes.txt", "not a photo");
    fs::create_directories(dir / "empty");
    const auto collected =
        OVCollectExportInputs({dir / "missing.jpg", dir / "photos", dir / "notes.txt",
                               dir / "empty", dir / "photos" / "a.jpg"},
                              ov::UUID(), false);
    ASSERT_EQ(collected.model->count(), 1u);
    EXPECT_EQ(collected.model->URLAtIndex(0), dir / "photos" / "a.jpg");
    EXPECT_EQ(collected.inputIndexes, std::vector<std::size_t>{1});
    ASSERT_EQ(collected.rejected.size(), 2u);
    EXPECT_EQ(collected.rejected[0].source, dir / "missing.jpg");
    EXPECT_EQ(collected.rejected[0].error, "no such file or folder");
    EXPECT_EQ(collected.rejected[1].source, dir / "notes.txt");
    EXPECT_EQ(collected.rejected[1].status, Status::Failed);
    EXPECT_EQ(collected.emptyFolders, std::vector<fs::path>{dir / "empty"});
}

// Every entry of a shard is taken, rejected with a reason or set apart as done, and the images
// keep the names and paths the whole list gives them.
TEST(ExportOutcome, ShardEntriesAreTakenRejectedOrSetApart) {
    ov::test::TempDir dir;
    fs::create_directories(dir / "photos");
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg"})
        ov::test::writeOrientedPhoto(dir / "photos" / name, 40, 30, 1);
    ov::test::writeFile(dir / "notes.txt", "not a photo");
    fs::create_symlink(dir / "photos" / "a.jpg", dir / "again.jpg");
    const auto list = OVWholeList({dir / "photos", dir / "photos" / "b.jpg", dir / "notes.txt",
                                   dir / "missing.jpg", dir / "again.jpg"});
    ASSERT_EQ(list.size(), 6u); // the folder's three, then the other entries once each
    const OVShardPlan plan = OVPlanShard(list, {dir / "out"}, OVShard{});
    const auto shard = OVCollectShardInputs(list, plan, ov::UUID(), false,
                                            [&](const fs::path& p) { return p == list[1]; });
    EXPECT_EQ(shard.finished, std::vector<fs::path>{list[1]});
    EXPECT_EQ(shard.sources, (std::vector<fs::path>{list[0], list[2]}));
    EXPECT_EQ(shard.names, (std::vector<fs::path>{plan.names[0], plan.names[2]}));
    ASSERT_EQ(shard.collected.model->count(), 2u);
    std::vector<std::string> reasons;
    for (const auto& image : shard.collected.rejected)
        reasons.push_back(image.error);
    EXPECT_EQ(reasons,
              (std::vector<std::string>{"not an image inkstead can read", "no such file or folder",
                                        "the same file as an earlier entry"}));
}

// Every index of the batch gets one outcome, in list order, whatever order the report has.
TEST(ExportOutcome, ReportBecomesOneOutcomePerIndex) {
    OVSaveReport report;
    report.outputs = {{2, "c.jpg", "out/c.jpg", {"no ICC profile"}}};
    report.skipped = {{0, "a.jpg", "out/a.jpg", {}}};
    report.failures = {{3, "d.jpg", "cannot decode"}, {9, "x.jpg", "beyond the list"}};
    const auto images = OVExportOutcomes(report, 4, [](std::size_t i) {
        return fs::path(std::string(1, static_cast<char>('a' + i)) + ".jpg");
    });
    const Status expected[] = {Status::Skipped, Status::NotStarted, Status::Written,
                               Status::Failed};
    ASSERT_EQ(images.size(), 4u);
    for (std::size_t i = 0; i < 4; ++i)
        EXPECT_EQ(images[i].status, expected[i]) << i;
    EXPECT_EQ(images[1].source, "b.jpg");
    EXPECT_EQ(images[2].warnings, std::vector<std::string>{"no ICC profile"});
    EXPECT_EQ(images[3].error, "cannot decode");
}

TEST(ExportOutcome, DryRunSkipsTakenNamesOnlyWhenAskedTo) {
    ov::test::TempDir dir;
    ov::test::writeFile(dir / "taken.jpg", "x");
    const std::vector<std::optional<fs::path>> sources{fs::path("a.jpg"), std::nullopt,
                                                       fs::path("b.jpg")};
    const std::vector<fs::path> names{"taken.jpg", "", "free.jpg"};
    for (const auto policy : {OVConflictPolicy::Unique, OVConflictPolicy::Skip}) {
        const auto plan = OVPlannedOutcomes(sources, names, dir.path(), policy);
        ASSERT_EQ(plan.size(), 2u);
        EXPECT_EQ(plan[0].status,
                  policy == OVConflictPolicy::Skip ? Status::Skipped : Status::Planned);
        EXPECT_EQ(plan[1].output, dir / "free.jpg");
        EXPECT_EQ(plan[1].status, Status::Planned);
    }
}

TEST(ExportOutcome, JsonReportCountsAndSurvivesBadFileNames) {
    OVExportSummary summary;
    summary.images = {{"a.jpg", "out/a.jpg", Status::Written, {}, {}},
                      {"b\xff.jpg", {}, Status::Failed, "cannot decode", {}}};
    const auto report = nlohmann::json::parse(OVExportReportJson(summary));
    EXPECT_EQ(report["version"], 1);
    EXPECT_EQ(report["totals"]["written"], 1);
    EXPECT_EQ(report["totals"]["failed"], 1);
    EXPECT_EQ(report["images"][1]["status"], "failed");
    EXPECT_TRUE(report["images"][1]["output"].is_null());
    EXPECT_EQ(report["images"][1]["source"], "b\xef\xbf\xbd.jpg");
}

} // namespace
