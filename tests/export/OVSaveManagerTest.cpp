#include "inkstead/export/OVSaveManager.h"

#include "inkstead/export/OVFilenamePattern.h"
#include "inkstead/export/OVOutputNames.h"
#include "inkstead/export/OVSaveProgress.h"
#include "support/SaveSupport.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <set>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;
using namespace ov::test;
using namespace std::chrono_literals;

namespace {

struct Fixture {
    TempDir dir;
    std::shared_ptr<PathImageList> list;
    std::shared_ptr<CopyRenderer> renderer = std::make_shared<CopyRenderer>();

    // `names` (paths below `sub`, the temporary folder by default) are created with distinct
    // contents.
    explicit Fixture(const std::vector<std::string>& names, const fs::path& sub = {}) {
        std::vector<fs::path> files;
        fs::create_directories(dir.path() / sub);
        for (const auto& name : names)
            files.push_back(writeFile(dir.path() / sub / name, "pixels of " + name));
        list = std::make_shared<PathImageList>(files);
    }

    std::shared_ptr<OVSaveManager> manager(const fs::path& output) const {
        std::error_code ignored; // a file in the folder's place stays for the test to see
        fs::create_directories(output, ignored);
        auto m = std::make_shared<OVSaveManager>(output);
        m->setModel(list);
        m->setRenderer(renderer);
        return m;
    }
    std::shared_ptr<OVSaveManager> intoOut() const { return manager(dir / "out"); }
};

std::vector<std::string> outputNames(const OVSaveReport& report) {
    std::vector<std::string> names;
    for (const auto& output : report.outputs)
        names.push_back(output.output.filename().string());
    return names;
}

bool hasTemporaryFiles(const fs::path& directory) {
    const auto names = listDirectory(directory);
    return std::any_of(names.begin(), names.end(),
                       [](const std::string& n) { return n.rfind(".~", 0) == 0; });
}

} // namespace

TEST(OVSaveManager, SourceNamesIntoTheirOwnFolderTwice) {
    Fixture f({"photo.jpg", "b.png", "c.tif"});
    auto manager = f.manager(f.dir.path());

    const OVSaveReport first = runBatch(*manager, {0, 1, 2});
    EXPECT_EQ(outputNames(first),
              (std::vector<std::string>{"photo_Watermarked_1.jpg", "b_Watermarked_1.png",
                                        "c_Watermarked_1.tif"}));
    EXPECT_TRUE(first.failures.empty());
    EXPECT_EQ(readFile(f.dir / "photo_Watermarked_1.jpg"), "pixels of photo.jpg");

    const OVSaveReport second = runBatch(*manager, {0, 1, 2});
    EXPECT_EQ(outputNames(second)[0], "photo_Watermarked_2.jpg");
    EXPECT_EQ(readFile(f.dir / "photo.jpg"), "pixels of photo.jpg");
    EXPECT_EQ(f.renderer->batchesFinished.load(), 2);
}

TEST(OVSaveManager, PatternNumbersInIndexOrderBeforeAnyWrite) {
    Fixture f({"a.jpg", "b.jpg", "c.jpg"}, "in");
    auto manager = f.intoOut();
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"filename", "-", "increment"});
    manager->setFilenamePattern(pattern);

    // Later images finish first; their names still follow the index order.
    f.renderer->beforeEach = [](const fs::path& source) {
        if (source.filename() == "b.jpg")
            std::this_thread::sleep_for(50ms);
        return std::string();
    };
    const OVSaveReport report = runBatch(*manager, {2, 1});
    EXPECT_EQ(outputNames(report), (std::vector<std::string>{"b-001.jpg", "c-002.jpg"}));
    EXPECT_EQ(readFile(f.dir / "out" / "c-002.jpg"), "pixels of c.jpg");
}

TEST(OVSaveManager, SameNameTwiceInOneBatchGetsDistinctFiles) {
    Fixture f({"x/IMG.jpg", "y/IMG.jpg", "y/README"});
    auto manager = f.manager(f.dir.path());
    auto pattern = OVFilenamePattern::pattern();
    pattern->setTokens({"filename"}); // no running number: the two IMG.jpg collide
    manager->setFilenamePattern(pattern);

    const OVSaveReport report = runBatch(*manager, {0, 1, 2});
    ASSERT_EQ(report.outputs.size(), 3u);
    EXPECT_EQ(listDirectory(f.dir.path()),
              (std::vector<std::string>{"IMG.jpg", "IMG_Watermarked_1.jpg", "README.", "x", "y"}));
    EXPECT_EQ(readFile(report.outputs[0].output) + readFile(report.outputs[1].output),
              "pixels of x/IMG.jpgpixels of y/IMG.jpg");
}

TEST(OVSaveManager, CancelStopsEarlyCompletesOnceAndLeavesNoPartialFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < 100; ++i)
        names.push_back("img" + std::to_string(i) + ".jpg");
    Fixture f(names, "in");
    auto manager = f.intoOut();
    manager->setMaximumConcurrentImages(4);
    auto presenter = std::make_shared<RecordingPresenter>();
    manager->setProgressWindowController(presenter);

    std::atomic<int> started{0};
    f.renderer->beforeEach = [&](const fs::path&) {
        ++started;
        std::this_thread::sleep_for(20ms);
        return std::string();
    };
    const auto all = indexesBelow(100);

    std::atomic<int> completions{0};
    OVSaveReport result;
    manager->beginSheetModalForWindow(nullptr, all, [&](bool, const OVSaveReport& report) {
        result = report;
        ++completions;
    });
    while (started.load() < 6)
        std::this_thread::sleep_for(1ms);
    presenter->cancel();       // the sheet's cancel button
    manager->cancelProgress(); // a second cancel changes nothing
    manager->waitUntilFinished();

    EXPECT_EQ(completions.load(), 1);
    EXPECT_TRUE(result.cancelled);
    EXPECT_GT(result.notStarted, 50u);
    EXPECT_EQ(result.outputs.size() + result.failures.size() + result.notStarted, 100u);
    EXPECT_LE(f.renderer->maxInFlight.load(), 4);
    EXPECT_EQ(listDirectory(f.dir / "out").size(), result.outputs.size());
    EXPECT_FALSE(hasTemporaryFiles(f.dir / "out"));
    EXPECT_EQ(manager->progress()->completedUnitCount(),
              static_cast<std::int64_t>(result.outputs.size()));

    const auto calls = presenter->calls();
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "end"), 1);
    EXPECT_EQ(calls.front(), "begin");
}

TEST(OVSaveManager, MissingAndFailingImagesLandInTheReport) {
    Fixture f({"a.jpg", "b.jpg", "c.jpg", "d.jpg", "e.jpg"}, "in");
    auto manager = f.intoOut();
    manager->setMaximumConcurrentImages(1);
    fs::remove(f.dir / "in" / "a.jpg"); // gone before the batch starts
    f.renderer->beforeEach = [&](const fs::path& source) -> std::string {
        if (source.filename() == "b.jpg")
            fs::remove(f.dir / "in" / "c.jpg"); // deleted while the batch runs
        if (source.filename() == "d.jpg")
            return "unsupported type";
        if (source.filename() == "e.jpg")
            throw std::bad_alloc(); // a memory limit reached while rendering
        return {};
    };
    auto presenter = std::make_shared<RecordingPresenter>();
    manager->setProgressWindowController(presenter);

    const OVSaveReport report = runBatch(*manager, {0, 1, 2, 3, 4, 9});
    EXPECT_EQ(outputNames(report), (std::vector<std::string>{"b.jpg"}));
    ASSERT_EQ(report.failures.size(), 4u);
    EXPECT_EQ(report.failures[0].index, 0u);
    EXPECT_TRUE(report.failures[0].source.empty());
    EXPECT_EQ(report.failures[1].index, 2u);
    EXPECT_EQ(report.failures[2].source, f.dir / "in" / "d.jpg");
    EXPECT_EQ(report.failures[2].reason, "unsupported type");
    EXPECT_EQ(report.failures[3].reason, "out of memory");
    EXPECT_FALSE(hasTemporaryFiles(f.dir / "out"));

    // Failures count as done: the bar reaches 1 and the index beyond the list is not counted.
    const auto calls = presenter->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), "count:5 of 5"), calls.end());
    EXPECT_EQ(manager->progress()->fractionCompleted(), 1.0);
}

TEST(OVSaveManager, UnwritableOutputFolderFailsEveryImage) {
    Fixture f({"a.jpg", "b.jpg"}, "in");
    // A regular file in place of the folder fails for every user; a read-only folder only for
    // users without the right to override permissions.
    writeFile(f.dir / "not-a-folder", "x");
    const OVSaveReport report = runBatch(*f.manager(f.dir / "not-a-folder"), {0, 1});
    EXPECT_TRUE(report.outputs.empty());
    ASSERT_EQ(report.failures.size(), 2u);
    EXPECT_NE(report.failures[0].reason.find("cannot write into"), std::string::npos);

    if (::geteuid() != 0) {
        fs::create_directory(f.dir / "ro");
        ::chmod((f.dir / "ro").c_str(), 0555);
        const OVSaveReport ro = runBatch(*f.manager(f.dir / "ro"), {0, 1});
        ::chmod((f.dir / "ro").c_str(), 0755);
        EXPECT_TRUE(ro.outputs.empty());
        EXPECT_EQ(ro.failures.size(), 2u);
    }
}

TEST(OVSaveManager, TwoBatchesIntoOneFolderAtOnceWriteDistinctFiles) {
    std::vector<std::string> names;
    for (int i = 0; i < 12; ++i)
        names.push_back("p" + std::to_string(i % 3) + (i < 6 ? ".jpg" : ".png"));
    std::sort(names.begin(), names.end());
    names.erase(std::unique(names.begin(), names.end()), names.end());
    Fixture f(names, "in");
    auto first = f.intoOut();
    auto second = f.intoOut();
    const auto all = indexesBelow(names.size());

    OVSaveReport a, b;
    first->beginSheetModalForWindow(nullptr, all, [&](bool, const OVSaveReport& r) { a = r; });
    second->beginSheetModalForWindow(nullptr, all, [&](bool, const OVSaveReport& r) { b = r; });
    first->waitUntilFinished();
    second->waitUntilFinished();

    std::set<fs::path> outputs;
    for (const auto* report : {&a, &b})
        for (const auto& output : report->outputs) {
            outputs.insert(output.output);
            EXPECT_EQ(readFile(output.output), "pixels of " + output.source.filename().string());
        }
    EXPECT_EQ(outputs.size(), 2 * names.size());
    EXPECT_EQ(listDirectory(f.dir / "out").size(), 2 * names.size());
}

TEST(OVSaveManager, PresenterSeesCountsFromFirstImageToLast) {
    Fixture f({"1.jpg", "2.jpg", "3.jpg", "4.jpg", "5.jpg"}, "in");
    auto manager = f.intoOut();
    manager->setMaximumConcurrentImages(1);
    auto presenter = std::make_shared<RecordingPresenter>();
    manager->setProgressWindowController(presenter);
    std::vector<std::string> executed;
    manager->setMainQueueExecutor([&](std::function<void()> work) {
        executed.push_back("main");
        work();
    });

    runBatch(*manager, {0, 1, 2, 3, 4});
    const auto calls = presenter->calls();
    ASSERT_GE(calls.size(), 3u);
    EXPECT_EQ(calls.front(), "begin");
    EXPECT_EQ(calls[1], "file:Saving 1.jpg");
    EXPECT_EQ(calls[2], "count:1 of 5");
    EXPECT_EQ(calls[3], "value:0.200000");
    EXPECT_EQ(calls[calls.size() - 3], "count:5 of 5");
    EXPECT_EQ(calls[calls.size() - 2], "value:1.000000");
    EXPECT_EQ(calls.back(), "end");
    EXPECT_FALSE(executed.empty());
}

TEST(OVSaveManager, CompletionMayDropTheLastReferenceToTheManager) {
    Fixture f({"a.jpg"}, "in");
    std::atomic<bool> done{false};
    {
        auto manager = f.manager(f.dir / "in");
        manager->beginSheetModalForWindow(nullptr, {0},
                                          [manager, &done](bool, const OVSaveReport&) mutable {
                                              manager.reset(); // must not wait for itself
                                              done = true;
                                          });
    }
    for (int i = 0; i < 5000 && !done; ++i)
        std::this_thread::sleep_for(1ms);
    EXPECT_TRUE(done);
    EXPECT_TRUE(fs::exists(f.dir / "in" / "a_Watermarked_1.jpg"));
}

// Names come from the one naming function in index order, also when the outputs mirror their
// folders; saveImageAtIndexes runs without a sheet and counts exactly the indexes given.
TEST(OVSaveManager, SaveImageAtIndexesMirrorsFoldersAndCountsTheIndexesGiven) {
    Fixture f({"a/IMG.jpg", "b/IMG.jpg", "b/x.jpg"}, "in");
    const fs::path& dir = f.dir.path();
    auto manager = f.intoOut();
    manager->setMirroredFolders({dir / "in"});
    const auto presenter = std::make_shared<RecordingPresenter>();
    manager->setProgressWindowController(presenter);

    manager->saveImageAtIndexes({0, 1, 7});
    manager->waitUntilFinished();
    EXPECT_EQ(manager->progress()->totalUnitCount(), 2) << "index 7 is beyond the list";
    EXPECT_EQ(manager->progress()->completedUnitCount(), 2);
    EXPECT_EQ(readFile(dir / "out/a/IMG.jpg"), "pixels of a/IMG.jpg");
    EXPECT_EQ(readFile(dir / "out/b/IMG.jpg"), "pixels of b/IMG.jpg");
    EXPECT_TRUE(presenter->calls().empty()) << "no sheet";

    const auto names = OVOutputNames(
        {fs::path(dir / "in/b/IMG.jpg"), std::nullopt, fs::path(dir / "in/b/IMG.jpg")},
        {dir / "out", nullptr, {dir / "in"}});
    EXPECT_EQ(names,
              (std::vector<fs::path>{"b/IMG_Watermarked_1.jpg", "", "b/IMG_Watermarked_2.jpg"}));
    manager->saveImageAtIndex(2, {"", "", "chosen.jpg"});
    manager->waitUntilFinished();
    EXPECT_EQ(readFile(dir / "out/chosen.jpg"), "pixels of b/x.jpg");
}
