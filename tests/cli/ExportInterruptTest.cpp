// Ctrl-C or SIGTERM during `inkstead export`: the batch stops cleanly.

#include "CliRunner.h"
#include "ExportTestPhotos.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <signal.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <thread>

namespace fs = std::filesystem;
using ov::test::TempDir;

struct StopSignal {
    int number;
    int exitCode;
};

class ExportInterrupt : public testing::TestWithParam<StopSignal> {};

TEST_P(ExportInterrupt, SignalMidBatchStopsCleanlyAndLeavesOnlyWholeFiles) {
    TempDir dir;
    fs::create_directories(dir / "in");
    constexpr int kPhotos = 40;
    clitest::writeTestPhoto(dir / "in" / "photo-00.jpg", {.width = 1600, .height = 1000});
    for (int i = 1; i < kPhotos; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "photo-%02d.jpg", i);
        fs::copy_file(dir / "in" / "photo-00.jpg", dir / "in" / name);
    }

    const fs::path out = dir / "out";
    const int pid = clitest::startInkstead(
        {"export", (dir / "in").string(), "-o", out.string(), "--jobs", "1", "--text", "© Test"},
        {.home = dir / "home"}, dir / "stdout", dir / "stderr");

    // Interrupt as soon as the first output is in place.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    bool sawOutput = false;
    while (!sawOutput && std::chrono::steady_clock::now() < deadline) {
        std::error_code ec;
        for (const auto& entry : fs::directory_iterator(out, ec))
            sawOutput |= entry.path().filename().string().starts_with("photo-");
        if (!sawOutput)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    ASSERT_TRUE(sawOutput);
    ::kill(pid, GetParam().number);
    EXPECT_EQ(clitest::waitForInkstead(pid), GetParam().exitCode);
    const std::string said = ov::test::readFile(dir / "stderr");
    EXPECT_NE(said.find("cancelling"), std::string::npos) << "not a clean stop: " << said;

    const auto names = ov::test::listDirectory(out);
    EXPECT_GE(names.size(), 1u);
    EXPECT_LT(names.size(), static_cast<std::size_t>(kPhotos)) << "the batch stopped early";
    for (const auto& name : names) {
        EXPECT_FALSE(name.starts_with(".")) << "temporary file left: " << name;
        const auto image = clitest::decodeUpright(out / name);
        ASSERT_TRUE(image) << name << " is not a whole image";
        EXPECT_EQ(image->width(), 1600);
    }
}

INSTANTIATE_TEST_SUITE_P(Signals, ExportInterrupt,
                         testing::Values(StopSignal{SIGINT, 130}, StopSignal{SIGTERM, 143}),
                         [](const auto& info) {
                             return info.param.number == SIGINT ? "Sigint" : "Sigterm";
                         });
