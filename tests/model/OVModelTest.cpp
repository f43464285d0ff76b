#include "inkstead/model/OVModel.h"

#include "inkstead/model/OVBookmarkAddition.h"
#include "inkstead/platform/dispatch/Dispatch.h"
#include "inkstead/platform/notify/NotificationCenter.h"
#include "support/GeneratedPhotos.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

using ov::test::LogCapture;

namespace {

/// A generated photograph at `path`, tagged with orientation `which`.
fs::path photo(const fs::path& path, int which = 1) {
    fs::create_directories(path.parent_path());
    ov::test::writeOrientedPhoto(path, 60, 40, which);
    return path;
}

std::vector<fs::path> urls(const OVModel& model) {
    std::vector<fs::path> result;
    for (std::size_t i = 0; i < model.count(); ++i)
        result.push_back(model.URLAtIndex(i).value_or(fs::path()));
    return result;
}

const ov::UUID kPresetA = ov::UUID::random();
const ov::UUID kPresetB = ov::UUID::random();

} // namespace

TEST(OVModel, folderGivesItsImagesDeepInNameOrder) {
    ov::test::TempDir dir;
    const auto root = fs::canonical(dir.path());
    // Created out of order: the list follows names, not creation.
    photo(root / "shoot" / "b.jpg");
    photo(root / "shoot" / "a.jpg");
    photo(root / "shoot" / "sub" / "c.jpg");
    photo(root / "shoot" / ".hidden.jpg");
    photo(root / "shoot" / ".cache" / "d.jpg");
    ov::test::writeFile(root / "shoot" / "notes.txt", "not an image");
    ov::test::writeFile(root / "shoot" / "fake.jpg",
                        "not an image"); // the type comes from the contents
    OVModel model;
    model.addURL(root / "shoot", kPresetA);
    EXPECT_EQ(urls(model),
              (std::vector<fs::path>{root / "shoot" / "a.jpg", root / "shoot" / "b.jpg",
                                     root / "shoot" / "sub" / "c.jpg"}));
    EXPECT_EQ(model.objectAtIndex(0)->presetID(), kPresetA);
}

TEST(OVModel, sameFileTwiceKeepsOneEntryWithTheFirstPreset) {
    ov::test::TempDir dir;
    const auto file = photo(dir / "a.jpg");
    OVModel model;
    model.addURL(file, kPresetA);
    model.addURL(dir / "." / "a.jpg", kPresetB);
    model.addURL(dir.path(), kPresetB); // the folder holds the same file
    ASSERT_EQ(model.count(), 1u);
    EXPECT_EQ(model.objectAtIndex(0)->presetID(), kPresetA);
    EXPECT_EQ(model.presetIDAtIndex(0), kPresetA.uuidString());
    EXPECT_TRUE(model.containsBookmark(model.objectAtIndex(0)->bookmark()));
}

TEST(OVModel, nothingReadableAddsNothing) {
    ov::test::TempDir dir;
    ov::test::writeFile(dir / "empty" / "readme.txt", "not an image");
    OVModel model;
    model.addURL(dir / "missing.jpg", kPresetA);
    model.addURL(ov::test::writeFile(dir / "notes.txt", "not an image"), kPresetA);
    model.addURL(dir / "empty", kPresetA);
    EXPECT_EQ(model.count(), 0u);
}

TEST(OVModel, addURLsPostsOnceEvenWhenEmpty) {
    ov::test::TempDir dir;
    const auto a = photo(dir / "a.jpg");
    const auto b = photo(dir / "b.jpg", 2);
    int posts = 0;
    auto& center = ov::NotificationCenter::defaultCenter();
    ov::ScopedObserver observer(center,
                                center.addObserver(kOVModelChanged, [&](const ov::Notification& n) {
                                    EXPECT_EQ(n.object, nullptr);
                                    ++posts;
                                }));
    OVModel model;
    model.addURLs(std::vector<std::string>{a.string(), b.string()}, kPresetA);
    EXPECT_EQ(posts, 1);
    EXPECT_EQ(model.count(), 2u);
    model.addURLs(std::vector<fs::path>{}, kPresetA);
    EXPECT_EQ(posts, 2);
}

TEST(OVModel, relativePathsAreTakenFromTheWorkingFolder) {
    ov::test::TempDir dir;
    photo(dir / "a.jpg");
    const auto previous = fs::current_path();
    fs::current_path(dir.path());
    OVModel model;
    model.addURLs(std::vector<std::string>{"a.jpg"}, kPresetA);
    fs::current_path(previous);
    ASSERT_EQ(model.count(), 1u);
    EXPECT_EQ(model.URLAtIndex(0), fs::canonical(dir / "a.jpg"));
}

TEST(OVModel, lookUpsAndRemovalsIgnoreIndexesOutOfRange) {
    ov::test::TempDir dir;
    for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
        photo(dir / name);
    OVModel model;
    model.addURL(dir.path(), kPresetA);
    ASSERT_EQ(model.count(), 4u);
    EXPECT_EQ(model.objectAtIndex(4), nullptr);
    EXPECT_FALSE(model.URLAtIndex(4));
    EXPECT_EQ(model.presetIDAtIndex(4), "");
    model.removeObjectsAtIndexes({0, 2, 9});
    EXPECT_EQ(urls(model),
              (std::vector<fs::path>{fs::canonical(dir / "b.jpg"), fs::canonical(dir / "d.jpg")}));
    model.addURL(dir / "a.jpg", kPresetA); // a removed file is no longer a duplicate
    EXPECT_EQ(model.count(), 3u);
    model.removeObjectAtIndex(7);
    model.removeObjectAtIndex(0);
    EXPECT_EQ(model.count(), 2u);
    model.removeAllObjects();
    EXPECT_EQ(model.count(), 0u);
    EXPECT_TRUE(model.allObjects().empty());
    model.addURL(dir.path(), kPresetA);
    EXPECT_EQ(model.count(), 4u);
}

TEST(OVModel, movedFileIsFoundAndItsBookmarkRefreshed) {
    ov::test::TempDir dir;
    const auto root = fs::canonical(dir.path());
    photo(root / "shoot" / "a.jpg");
    OVModel model;
    model.addURL(root / "shoot", kPresetA);
    const auto before = model.objectAtIndex(0)->bookmark();
    fs::create_directories(root / "shoot" / "picked");
    fs::rename(root / "shoot" / "a.jpg", root / "shoot" / "picked" / "renamed.jpg");
    EXPECT_EQ(model.URLAtIndex(0), root / "shoot" / "picked" / "renamed.jpg");
    const auto after = model.objectAtIndex(0)->bookmark();
    EXPECT_NE(after, before);
    EXPECT_EQ(after,
              OVModelObject::createBookmarkWithURL(root / "shoot" / "picked" / "renamed.jpg"));
    model.addURL(root / "shoot" / "picked" / "renamed.jpg", kPresetB); // known by its new bookmark
    EXPECT_EQ(model.count(), 1u);
}

TEST(OVModel, deletedFileResolvesToNothingAndLogsAtEveryRead) {
    ov::test::TempDir dir;
    const auto file = photo(dir / "a.jpg");
    OVModel model;
    model.addURL(file, kPresetA);
    fs::remove(file);
    LogCapture log;
    EXPECT_FALSE(model.URLAtIndex(0));
    EXPECT_FALSE(model.objectAtIndex(0)->url());
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Error resolving URL from bookmark: ", 0), 0u) << lines[0];
}

TEST(OVModelObject, missingFileGetsNoBookmarkAndLogs) {
    ov::test::TempDir dir;
    LogCapture log;
    OVModelObject object(dir / "gone.jpg");
    EXPECT_TRUE(object.bookmark().empty());
    EXPECT_FALSE(object.presetID());
    EXPECT_FALSE(object.url());
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0].rfind("Error bookmarking selected URL: ", 0), 0u) << lines[0];
    EXPECT_EQ(lines[1].rfind("Error resolving URL from bookmark: ", 0), 0u) << lines[1];
}

TEST(OVModel, updateObjectsToPresetIDReachesEveryEntry) {
    OVModel model;
    OVModel::ObjectList objects;
    for (int i = 0; i < 1000; ++i)
        objects.push_back(std::make_shared<OVModelObject>());
    model.setModelObjects(objects);
    model.updateObjectsToPresetID(kPresetB);
    for (const auto& object : model.allObjects())
        ASSERT_EQ(object->presetID(), kPresetB);
}

TEST(OVModel, workersResolvingWhileAFileMoves) {
    // Batch workers read entries while one of them is refreshed; no race, every read finds the
    // file at one of its two names.
    ov::test::TempDir dir;
    const auto root = fs::canonical(dir.path());
    photo(root / "a.jpg");
    OVModel model;
    model.addURL(root, kPresetA);
    std::atomic<int> found{0};
    ov::dispatch::Group group;
    for (int i = 0; i < 8; ++i) {
        group.async(ov::dispatch::globalQueue(), [&] {
            for (int k = 0; k < 20; ++k) {
                const auto url = model.URLAtIndex(0);
                if (url && (url->filename() == "a.jpg" || url->filename() == "b.jpg"))
                    ++found;
            }
        });
    }
    fs::rename(root / "a.jpg", root / "b.jpg");
    ASSERT_TRUE(group.wait(std::chrono::seconds(30)));
    EXPECT_EQ(found.load(), 160);
    EXPECT_EQ(model.URLAtIndex(0), root / "b.jpg");
}

TEST(OVBookmarkAddition, runsTheBodyOnlyForReadableFiles) {
    ov::test::TempDir dir;
    const auto file = ov::test::writeFile(dir / "a.txt", "not an image");
    int runs = 0;
    EXPECT_TRUE(accessSecurityScopedResource(file, [&] { ++runs; }));
    EXPECT_FALSE(accessSecurityScopedResource(dir / "missing.jpg", [&] { ++runs; }));
    EXPECT_FALSE(accessSecurityScopedResource({}, [&] { ++runs; }));
    EXPECT_EQ(runs, 1);
    if (::geteuid() != 0) { // permissions do not bind the superuser
        fs::permissions(file, fs::perms::none);
        EXPECT_FALSE(accessSecurityScopedResource(file, [&] { ++runs; }));
        EXPECT_EQ(runs, 1);
    }
}
