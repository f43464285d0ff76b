#include "inkstead/platform/files/AtomicFile.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <sys/resource.h>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

using ov::test::listDirectory;
using ov::test::readFile;

TEST(AtomicFile, replaceExistingSwapsTheContents) {
    ov::test::TempDir dir;
    const auto target = dir / "presets.bin";
    ASSERT_TRUE(ov::writeFileAtomically(target, "old", ov::FileWriteMode::ReplaceExisting));
    ASSERT_TRUE(ov::writeFileAtomically(target, "new", ov::FileWriteMode::ReplaceExisting));
    EXPECT_EQ(readFile(target), "new");
    EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"presets.bin"});
}

TEST(AtomicFile, exclusiveCreationNeverTouchesAnExistingFile) {
    ov::test::TempDir dir;
    const auto target = dir / "photo.jpg";
    ASSERT_TRUE(ov::writeFileAtomically(target, "mine", ov::FileWriteMode::CreateExclusive));
    const auto refused =
        ov::writeFileAtomically(target, "theirs", ov::FileWriteMode::CreateExclusive);
    ASSERT_FALSE(refused);
    EXPECT_EQ(refused.error().code, std::errc::file_exists);
    EXPECT_NE(refused.error().message.find(target.string()), std::string::npos);
    EXPECT_EQ(readFile(target), "mine");
    EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"photo.jpg"});

    EXPECT_EQ(ov::createFileExclusively(target).error().code, std::errc::file_exists);
    EXPECT_TRUE(ov::createFileExclusively(dir / "reserved.jpg"));
    EXPECT_EQ(ov::moveFileExclusively(dir / "reserved.jpg", target).error().code,
              std::errc::file_exists);
    EXPECT_EQ(readFile(target), "mine");
}

TEST(AtomicFile, concurrentExclusiveWritersHaveExactlyOneWinner) {
    ov::test::TempDir dir;
    const auto target = dir / "out.png";
    constexpr int kWriters = 8;
    std::atomic<int> winners{0};
    std::atomic<int> winner{-1};
    std::vector<std::thread> threads;
    for (int i = 0; i < kWriters; ++i) {
        threads.emplace_back([&, i] {
            const std::string content(4096, static_cast<char>('a' + i));
            if (ov::writeFileAtomically(target, content, ov::FileWriteMode::CreateExclusive)) {
                ++winners;
                winner = i;
            }
        });
    }
    for (auto& thread : threads)
        thread.join();
    ASSERT_EQ(winners.load(), 1);
    EXPECT_EQ(readFile(target), std::string(4096, static_cast<char>('a' + winner.load())));
    EXPECT_EQ(listDirectory(dir.path()), std::vector<std::string>{"out.png"});
}

TEST(AtomicFile, temporaryFileIsHiddenBesideTheDestinationWithItsExtension) {
    ov::test::TempDir dir;
    {
        ov::AtomicFile file(dir / "image.tiff");
        ASSERT_FALSE(file.error());
        EXPECT_EQ(file.temporaryPath().parent_path(), dir.path());
        EXPECT_EQ(file.temporaryPath().extension(), ".tiff");
        EXPECT_EQ(file.temporaryPath().filename().string().front(), '.');
        EXPECT_TRUE(fs::exists(file.temporaryPath()));
        file.write("partial");
    } // dropped without commit
    EXPECT_TRUE(listDirectory(dir.path()).empty());
}

TEST(AtomicFile, failedWriteLeavesNoFileBehind) {
    // A file-size limit makes writes fail part-way, as a full disk does.
    ov::test::TempDir dir;
    const auto target = dir / "big.jpg";
    struct sigaction ignore {};
    struct sigaction previousAction {};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &previousAction), 0);
    rlimit previous{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &previous), 0);
    rlimit limited = previous;
    limited.rlim_cur = 1024;
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &limited), 0);
    const auto written = ov::writeFileAtomically(target, std::string(64 * 1024, 'x'),
                                                 ov::FileWriteMode::CreateExclusive);
    ::setrlimit(RLIMIT_FSIZE, &previous);
    ::sigaction(SIGXFSZ, &previousAction, nullptr);
    EXPECT_FALSE(written);
    EXPECT_TRUE(listDirectory(dir.path()).empty());
}

TEST(AtomicFile, missingFolderIsAnError) {
    ov::test::TempDir dir;
    ov::AtomicFile file(dir / "no-such-folder" / "a.jpg");
    EXPECT_TRUE(file.error());
    EXPECT_FALSE(file.write("x"));
    EXPECT_FALSE(file.commit(ov::FileWriteMode::ReplaceExisting));
}
