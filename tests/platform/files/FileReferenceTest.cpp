#include "inkstead/platform/files/FileReference.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

fs::path touch(const fs::path& path, const std::string& content = "x") {
    fs::create_directories(path.parent_path());
    std::ofstream(path) << content;
    return path;
}

} // namespace

TEST(FileReference, sameFileGivesEqualBytesByAnyPath) {
    ov::test::TempDir dir;
    const auto file = touch(dir / "a" / "photo.jpg");
    fs::create_symlink(file, dir / "link.jpg");
    const auto reference = ov::createFileReference(file).value();
    EXPECT_EQ(ov::createFileReference(dir / "a" / ".." / "a" / "photo.jpg").value(), reference);
    EXPECT_EQ(ov::createFileReference(dir / "link.jpg").value(), reference);
    EXPECT_NE(ov::createFileReference(touch(dir / "a" / "other.jpg")).value(), reference);
}

TEST(FileReference, missingFileCannotBeReferenced) {
    ov::test::TempDir dir;
    const auto reference = ov::createFileReference(dir / "nothing.jpg");
    ASSERT_FALSE(reference);
    EXPECT_EQ(reference.error().code, std::errc::no_such_file_or_directory);
    EXPECT_NE(reference.error().message.find("nothing.jpg"), std::string::npos);
}

TEST(FileReference, resolvesInPlaceWithoutStaleness) {
    ov::test::TempDir dir;
    const auto file = touch(dir / "photo.jpg");
    const auto resolution = ov::resolveFileReference(ov::createFileReference(file).value());
    ASSERT_TRUE(resolution);
    EXPECT_EQ(resolution->path, fs::canonical(file));
    EXPECT_FALSE(resolution->isStale);
}

struct Move {
    const char* name;
    const char* from;
    const char* to;
};

class MovedFile : public testing::TestWithParam<Move> {};

TEST_P(MovedFile, isFoundAgainByInodeAndReportedStale) {
    ov::test::TempDir dir;
    const auto from = touch(dir / GetParam().from);
    touch(dir / "shoot" / "unrelated.jpg");
    const auto reference = ov::createFileReference(from).value();
    const auto to = dir / GetParam().to;
    fs::create_directories(to.parent_path());
    fs::rename(from, to);
    const auto resolution = ov::resolveFileReference(reference);
    ASSERT_TRUE(resolution) << resolution.error().message;
    EXPECT_EQ(resolution->path, fs::canonical(to));
    EXPECT_TRUE(resolution->isStale);
    // The refreshed reference resolves without staleness.
    EXPECT_FALSE(
        ov::resolveFileReference(ov::createFileReference(resolution->path).value())->isStale);
}

INSTANTIATE_TEST_SUITE_P(
    WithinTheFolderTree, MovedFile,
    testing::Values(Move{"renamed", "shoot/a.jpg", "shoot/b.jpg"},
                    Move{"intoSubfolder", "shoot/a.jpg", "shoot/picked/a.jpg"},
                    Move{"toSiblingFolder", "shoot/day1/a.jpg", "shoot/day2/a.jpg"},
                    Move{"folderRenamed", "shoot/day1/a.jpg", "shoot/monday/a.jpg"}),
    [](const testing::TestParamInfo<Move>& info) { return std::string(info.param.name); });

TEST(FileReference, renamedFileWinsOverANewFileAtTheOldName) {
    ov::test::TempDir dir;
    const auto a = touch(dir / "a.jpg", "A");
    const auto reference = ov::createFileReference(a).value();
    fs::rename(a, dir / "b.jpg");
    touch(dir / "a.jpg", "new");
    const auto resolution = ov::resolveFileReference(reference);
    ASSERT_TRUE(resolution);
    EXPECT_EQ(resolution->path.filename(), "b.jpg");
    EXPECT_TRUE(resolution->isStale);
}

TEST(FileReference, fileReplacedAtItsPathResolvesStale) {
    ov::test::TempDir dir;
    const auto file = touch(dir / "photo.jpg", "v1");
    const auto reference = ov::createFileReference(file).value();
    touch(dir / ".photo.tmp", "v2");
    fs::rename(dir / ".photo.tmp", file); // how editors save
    const auto resolution = ov::resolveFileReference(reference);
    ASSERT_TRUE(resolution);
    EXPECT_EQ(resolution->path, fs::canonical(file));
    EXPECT_TRUE(resolution->isStale);
}

TEST(FileReference, deletedFileDoesNotResolve) {
    ov::test::TempDir dir;
    const auto file = touch(dir / "photo.jpg");
    const auto reference = ov::createFileReference(file).value();
    fs::remove(file);
    const auto resolution = ov::resolveFileReference(reference);
    EXPECT_FALSE(resolution);
    EXPECT_NE(resolution.error().message.find("photo.jpg"), std::string::npos);
    EXPECT_EQ(ov::recordedPathOfFileReference(reference), fs::canonical(dir.path()) / "photo.jpg");
}

TEST(FileReference, corruptBytesDoNotResolve) {
    ov::test::TempDir dir;
    auto reference = ov::createFileReference(touch(dir / "photo.jpg")).value();
    const std::vector<ov::FileReferenceData> broken = {
        {},
        {reference.begin(), reference.begin() + 10},
        [&] {
            auto r = reference;
            r[0] = 'X';
            return r;
        }(),
        [&] {
            auto r = reference;
            r.push_back('!');
            return r;
        }(),
    };
    for (const auto& bytes : broken) {
        const auto resolution = ov::resolveFileReference(bytes);
        EXPECT_FALSE(resolution);
        EXPECT_EQ(resolution.error().code, std::errc::invalid_argument);
        EXPECT_FALSE(ov::recordedPathOfFileReference(bytes));
    }
}
