#include "inkstead/export/OVUniqueFilename.h"

#include "SaveTestSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <set>
#include <thread>

namespace fs = std::filesystem;
using ov::test::listDirectory;
using ov::test::readFile;
using ov::test::TempDir;
using ov::test::writeFile;

TEST(URLWithValidFilename, FreeNameThenCounterFromTheGivenName) {
    TempDir dir;
    EXPECT_EQ(URLWithValidFilename(dir.path(), "a.jpg"), dir / "a.jpg");

    writeFile(dir / "a.jpg", "x");
    EXPECT_EQ(URLWithValidFilename(dir.path(), "a.jpg"), dir / "a_Watermarked_1.jpg");

    writeFile(dir / "a_Watermarked_1.jpg", "x");
    writeFile(dir / "a_Watermarked_3.jpg", "x");
    // The counter restarts from the given name and takes the first gap, never
    // "a_Watermarked_1_Watermarked_1.jpg".
    EXPECT_EQ(URLWithValidFilename(dir.path(), "a.jpg"), dir / "a_Watermarked_2.jpg");

    writeFile(dir / "README", "x"); // without extension: the dot stays
    EXPECT_EQ(URLWithValidFilename(dir.path(), "README"), dir / "README_Watermarked_1.");
    fs::create_symlink(dir / "missing-target", dir / "b.png"); // a dangling link occupies its name
    EXPECT_EQ(URLWithValidFilename(dir.path(), "b.png"), dir / "b_Watermarked_1.png");
}

// A name the file system cannot hold, taken or not, ends the search at once; placing the file
// there then fails with the reason instead of trying names forever.
TEST(URLWithValidFilename, NameTooLongEndsTheSearchAndThePlacementSaysWhy) {
    TempDir dir;
    const std::string tooLong = std::string(300, 'n') + ".jpg";
    EXPECT_EQ(URLWithValidFilename(dir.path(), tooLong), dir / tooLong);
    const std::string fits = std::string(245, 'f') + ".jpg"; // its alternatives do not fit
    writeFile(dir / fits, "x");
    EXPECT_EQ(URLWithValidFilename(dir.path(), fits), dir / OVWatermarkedFilename(fits, 1));
    for (const auto& name : {tooLong, fits}) {
        writeFile(dir / "t.jpg", "y");
        const auto placed = OVPlaceFileExclusively(dir / "t.jpg", dir.path(), name);
        ASSERT_FALSE(placed);
        EXPECT_EQ(placed.error().code, std::errc::filename_too_long);
    }
}

TEST(OVPlaceFileExclusively, NeverReplacesAndEveryThreadGetsItsOwnName) {
    TempDir dir;
    writeFile(dir / "shot.jpg", "original");

    constexpr int kThreads = 16;
    std::vector<fs::path> placed(kThreads);
    std::vector<std::jthread> threads;
    for (int i = 0; i < kThreads; ++i) {
        threads.emplace_back([&, i] {
            const fs::path temporary = OVTemporaryFilePath(dir.path(), "shot.jpg");
            writeFile(temporary, std::to_string(i));
            placed[i] = OVPlaceFileExclusively(temporary, dir.path(), "shot.jpg").value();
        });
    }
    threads.clear();

    EXPECT_EQ(readFile(dir / "shot.jpg"), "original");
    std::set<fs::path> distinct(placed.begin(), placed.end());
    EXPECT_EQ(distinct.size(), static_cast<std::size_t>(kThreads));
    for (int i = 0; i < kThreads; ++i)
        EXPECT_EQ(readFile(placed[i]), std::to_string(i));
    // Only the original and the placed files remain: no temporary file is left over.
    EXPECT_EQ(listDirectory(dir.path()).size(), static_cast<std::size_t>(kThreads + 1));
}

TEST(OVTemporaryFilePath, HiddenFreeAndKeepsTheExtension) {
    TempDir dir;
    const fs::path a = OVTemporaryFilePath(dir.path(), "very long name.tiff");
    const fs::path b = OVTemporaryFilePath(dir.path(), "very long name.tiff");
    EXPECT_NE(a, b);
    EXPECT_EQ(a.parent_path(), dir.path());
    EXPECT_EQ(a.extension(), ".tiff");
    EXPECT_EQ(a.filename().string().rfind(".~", 0), 0u);
    EXPECT_FALSE(fs::exists(a));
    // A folder that is not there must not make the search loop.
    EXPECT_EQ(OVTemporaryFilePath(dir / "missing", "a.jpg").parent_path(), dir / "missing");
}
