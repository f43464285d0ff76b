#include "inkstead/export/OVExportManifest.h"
#include "inkstead/export/OVManifestMerge.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using ov::test::readFile;
using ov::test::TempDir;

namespace {

OVManifestRecord done(std::string input, std::string output, std::uint64_t bytes = 10) {
    return {OVManifestStatus::Done, std::move(input), std::move(output), 100, bytes, 0.25, {}};
}

OVManifestRecord failed(std::string input, std::string reason) {
    return {OVManifestStatus::Failed, std::move(input), {}, 100, 0, 0.5, std::move(reason)};
}

void appendRaw(const fs::path& file, const std::string& bytes) {
    std::ofstream(file, std::ios::app | std::ios::binary) << bytes;
}

} // namespace

TEST(OVManifestLine, FieldsWithTabsNewlinesAndBackslashesRoundTrip) {
    const OVManifestRecord record{
        OVManifestStatus::Skipped, "/in/a\tb\\c\nd.jpg", "out/a b.jpg", 123456789012, 42, 1.5,
        "the output\texists\r"};
    const std::string line = OVManifestLine(record);
    ASSERT_TRUE(line.ends_with('\n'));
    EXPECT_EQ(std::count(line.begin(), line.end(), '\n'), 1);
    const auto parsed = OVParseManifestLine(std::string_view(line).substr(0, line.size() - 1));
    ASSERT_TRUE(parsed);
    EXPECT_EQ(parsed->status, record.status);
    EXPECT_EQ(parsed->input, record.input);
    EXPECT_EQ(parsed->output, record.output);
    EXPECT_EQ(parsed->inputBytes, record.inputBytes);
    EXPECT_EQ(parsed->outputBytes, record.outputBytes);
    EXPECT_DOUBLE_EQ(parsed->seconds, record.seconds);
    EXPECT_EQ(parsed->reason, record.reason);

    for (const char* damaged :
         {"", "done\t/a.jpg", "done\t/a.jpg\tout\t1\t2\t0.1",
          "done\t/a.jpg\tout\t1\t2\t0.1\t\textra", "gone\t/a\to\t1\t2\t0\t", "done\t\to\t1\t2\t0\t",
          "done\t/a\to\t-1\t2\t0\t", "done\t/a\\q\to\t1\t2\t0\t"})
        EXPECT_FALSE(OVParseManifestLine(damaged)) << damaged;
}

// A rerun skips what is done and redoes what failed or never got a record; a line cut short by
// a killed writer is read as damaged and the next record still starts a line of its own.
TEST(OVExportManifest, ResumeAfterFailuresAndATornLastLine) {
    TempDir dir;
    const fs::path file = dir / "m.txt";
    {
        auto manifest = OVExportManifest::open(file).value();
        ASSERT_TRUE(manifest);
        EXPECT_TRUE(manifest->append(done("/in/a.jpg", "/out/a.jpg")));
        EXPECT_TRUE(manifest->append(failed("/in/b.jpg", "cannot decode")));
        EXPECT_TRUE(manifest->append(failed("/in/c.jpg", "out of memory")));
        EXPECT_TRUE(manifest->append(done("/in/c.jpg", "/out/c.jpg")));
    }
    EXPECT_TRUE(readFile(file).starts_with(kOVManifestHeader));
    const std::string torn = OVManifestLine(done("/in/d.jpg", "/out/d.jpg"));
    appendRaw(file, torn.substr(0, torn.size() - 9));

    auto manifest = OVExportManifest::open(file).value();
    ASSERT_TRUE(manifest);
    EXPECT_EQ(manifest->damagedLines(), 1u);
    EXPECT_TRUE(manifest->isFinished("/in/a.jpg"));
    EXPECT_FALSE(manifest->isFinished("/in/b.jpg"));
    EXPECT_TRUE(manifest->isFinished("/in/c.jpg")); // the later record counts
    EXPECT_FALSE(manifest->isFinished("/in/d.jpg"));
    EXPECT_TRUE(manifest->append(done("/in/d.jpg", "/out/d.jpg")));
    manifest.reset();

    const auto contents = OVReadManifest(file);
    ASSERT_TRUE(contents);
    EXPECT_EQ(contents->damagedLines, 1u);
    ASSERT_EQ(contents->records.size(), 5u);
    EXPECT_EQ(contents->records.back().input, "/in/d.jpg");
}

TEST(OVExportManifest, ReadingLeavesTheFileAlone) {
    TempDir dir;
    const fs::path file = dir / "m.txt";
    const std::string torn = OVManifestLine(done("/in/b.jpg", "/out/b.jpg"));
    const std::string text = OVManifestLine(done("/in/a.jpg", "/out/a.jpg")) + torn.substr(0, 9);
    ov::test::writeFile(file, text);
    auto manifest = OVExportManifest::read(file).value();
    EXPECT_TRUE(manifest->isFinished("/in/a.jpg"));
    EXPECT_EQ(manifest->damagedLines(), 1u);
    EXPECT_FALSE(manifest->append(done("/in/c.jpg", "/out/c.jpg")));
    EXPECT_EQ(readFile(file), text);
    EXPECT_FALSE(OVExportManifest::read(dir / "none.txt").value()->isFinished("/in/a.jpg"));
    EXPECT_FALSE(fs::exists(dir / "none.txt"));
}

TEST(OVExportManifest, UnwritableFileIsAnError) {
    TempDir dir;
    const auto opened = OVExportManifest::open(dir / "missing/m.txt");
    ASSERT_FALSE(opened);
    EXPECT_EQ(opened.error().code, std::errc::no_such_file_or_directory);
    EXPECT_NE(opened.error().message.find("missing/m.txt"), std::string::npos);
}

TEST(OVMergeManifests, BestRecordPerInputTotalsAndSharedOutputs) {
    TempDir dir;
    const fs::path one = dir / "1.txt", two = dir / "2.txt";
    {
        auto first = OVExportManifest::open(one).value();
        ASSERT_TRUE(first);
        EXPECT_TRUE(first->append(done("/in/a.jpg", "/out/a.jpg", 7)));
        EXPECT_TRUE(first->append(failed("/in/b.jpg", "killed")));
        EXPECT_TRUE(first->append(failed("/in/e.jpg", "cannot decode")));
        auto second = OVExportManifest::open(two).value();
        ASSERT_TRUE(second);
        EXPECT_TRUE(second->append(done("/in/b.jpg", "/out/b.jpg", 5)));
        // A rerun that found the output of a written image skips it; the written record stays.
        EXPECT_TRUE(second->append({OVManifestStatus::Skipped, "/in/a.jpg", "/out/a.jpg", 100, 0, 0,
                                    "the output exists"}));
        EXPECT_TRUE(second->append(done("/in/c.jpg", "/out/b.jpg", 3)));
    }
    appendRaw(two, "done\t/in/x");

    const auto summary = OVMergeManifests({one, two});
    ASSERT_TRUE(summary) << summary.error().message;
    ASSERT_EQ(summary->records.size(), 4u);
    EXPECT_EQ(summary->records[0].status, OVManifestStatus::Done);
    EXPECT_EQ(summary->records[0].outputBytes, 7u);
    EXPECT_EQ(summary->records[1].status, OVManifestStatus::Done);
    EXPECT_EQ(summary->written, 3u);
    EXPECT_EQ(summary->skipped, 0u);
    EXPECT_EQ(summary->failed, 1u);
    EXPECT_EQ(summary->outputBytes, 15u);
    EXPECT_EQ(summary->damagedLines, 1u);
    EXPECT_EQ(summary->sharedOutputs, std::vector<std::string>{"/out/b.jpg"});

    const fs::path merged = dir / "all.txt";
    ASSERT_TRUE(OVWriteManifest(merged, *summary));
    const auto again = OVMergeManifests({merged});
    ASSERT_TRUE(again);
    EXPECT_EQ(again->records.size(), 4u);
    EXPECT_EQ(again->damagedLines, 0u);

    const auto missing = OVMergeManifests({dir / "none.txt"});
    ASSERT_FALSE(missing);
    EXPECT_EQ(missing.error().code, std::errc::no_such_file_or_directory);
    EXPECT_NE(missing.error().message.find("none.txt"), std::string::npos);
}
