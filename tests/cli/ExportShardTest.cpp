// `inkstead export --shard` and `--manifest`: the shares of a list together write what one run
// writes, and a share that was cut short is finished by running it again.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sstream>

namespace fs = std::filesystem;
using clitest::runInkstead;
using ov::test::listDirectory;
using ov::test::readFile;
using ov::test::TempDir;
using ov::test::writeFile;

namespace {

void expectSameFiles(const fs::path& expected, const fs::path& actual) {
    const auto names = listDirectory(expected);
    ASSERT_EQ(listDirectory(actual), names);
    for (const auto& name : names)
        EXPECT_EQ(readFile(actual / name), readFile(expected / name)) << name;
}

} // namespace

TEST(ExportShard, SharesWriteWhatOneRunWritesAndAResumeFinishesACutShare) {
    TempDir dir;
    std::string list;
    for (const char* folder : {"a", "b"})
        for (int i = 1; i <= 4; ++i) {
            const fs::path photo = dir / "in" / folder / ("p" + std::to_string(i) + ".jpg");
            fs::create_directories(photo.parent_path());
            clitest::writeTestPhoto(photo, {.width = 60 + 10 * i, .height = 40});
            // Listed through a linked folder: a rerun must know the photos by these paths.
            list += (dir / "linked" / folder / photo.filename()).string() + "\n";
        }
    fs::create_directory_symlink(dir / "in", dir / "linked");
    writeFile(dir / "list.txt", list);
    const clitest::RunOptions options{.home = dir / "home"};
    const auto exportTo = [&](const fs::path& out, std::vector<std::string> extra) {
        std::vector<std::string> args{"export",    "--files-from", (dir / "list.txt").string(),
                                      "-o",        out.string(),   "--pattern",
                                      "increment", "--text",       "shard"};
        args.insert(args.end(), extra.begin(), extra.end());
        return runInkstead(args, options);
    };
    ASSERT_EQ(exportTo(dir / "whole", {}).exitCode, 0);

    const auto manifest = [&](int k) {
        return (dir / ("m-" + std::to_string(k) + ".txt")).string();
    };
    for (int k = 1; k <= 3; ++k) {
        const auto result = exportTo(
            dir / "parts", {"--shard", std::to_string(k) + "/3", "--manifest", manifest(k)});
        ASSERT_EQ(result.exitCode, 0) << result.err;
    }
    expectSameFiles(dir / "whole", dir / "parts");

    // Shard 2 killed while writing its last image: the record is cut short, the file is gone.
    std::string text = readFile(manifest(2));
    std::istringstream lastLine(text.substr(text.rfind('\n', text.size() - 2) + 1));
    std::string status, input, output;
    std::getline(lastLine, status, '\t');
    std::getline(lastLine, input, '\t');
    std::getline(lastLine, output, '\t');
    ASSERT_EQ(status, "done");
    ASSERT_TRUE(fs::remove(output));
    text.resize(text.size() - 5);
    writeFile(manifest(2), text);
    const auto plan =
        exportTo(dir / "parts", {"--shard", "2/3", "--manifest", manifest(2), "--dry-run"});
    EXPECT_NE(plan.err.find("Would export 1 image to " + (dir / "parts").string() +
                            " (dry run: nothing written); 2 to skip."),
              std::string::npos)
        << plan.err;
    EXPECT_NE(plan.out.find(": done by an earlier run"), std::string::npos) << plan.out;
    const auto rerun = exportTo(dir / "parts", {"--shard", "2/3", "--manifest", manifest(2)});
    ASSERT_EQ(rerun.exitCode, 0) << rerun.err;
    EXPECT_NE(rerun.err.find("2 images already done"), std::string::npos) << rerun.err;
    EXPECT_NE(rerun.err.find("Exported 1 image"), std::string::npos) << rerun.err;
    expectSameFiles(dir / "whole", dir / "parts");

    const auto merged = runInkstead({"manifest", "merge", manifest(1), manifest(2), manifest(3)});
    EXPECT_EQ(merged.exitCode, 0) << merged.out;
    EXPECT_NE(merged.out.find("8 images: 8 written, 0 skipped"), std::string::npos) << merged.out;
    EXPECT_NE(merged.out.find("1 unreadable line"), std::string::npos) << merged.out;
}
