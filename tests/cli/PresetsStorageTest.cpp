// The presets storage under hostile conditions: odd files in the presets file's place, several
// commands at once, killed commands and damaged files.

#include "PresetsTestSupport.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <algorithm>
#include <fstream>

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using clitest::column;
using clitest::contains;
using clitest::Store;
using ov::test::TempDir;

namespace {

// A command that would block forever fails the test instead of hanging it.
constexpr auto kPatience = 20s;

clitest::RunResult runWithin(const Store& store, std::vector<std::string> args) {
    args.insert(args.end(), {"--home", store.home().string()});
    clitest::RunOptions options;
    options.timeout = kPatience;
    return clitest::runInkstead(args, options);
}

} // namespace

TEST(PresetsStorage, PresetsFileThatIsNotARegularFileIsRefusedWithoutBlocking) {
    struct Case {
        const char* what;
        void (*make)(const fs::path&);
    };
    const Case cases[] = {
        {"fifo", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0644), 0); }},
        {"folder", [](const fs::path& p) { fs::create_directory(p); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const Store store(dir / "home");
        fs::create_directories(store.presetsFile().parent_path());
        c.make(store.presetsFile());
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"presets", "list"}, {"presets", "create", "Web"}}) {
            const auto result = runWithin(store, args);
            EXPECT_EQ(result.exitCode, 2) << result.err;
            EXPECT_TRUE(contains(result.err, "is not a regular file")) << result.err;
        }
        EXPECT_FALSE(fs::is_regular_file(store.presetsFile())) << "left as it was";
    }
}

TEST(PresetsStorage, ConcurrentChangesAreAllKept) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "create", "Shared"});
    constexpr int kEach = 6;
    std::vector<int> children;
    for (int i = 0; i < kEach; ++i) {
        const std::string n = std::to_string(i);
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"presets", "create", "P" + n},
              {"watermark", "add", "Shared", "text", "T" + n}}) {
            auto withHome = args;
            withHome.insert(withHome.end(), {"--home", store.home().string()});
            const std::string id = args[0] + n;
            children.push_back(
                clitest::startInkstead(withHome, {}, dir / (id + ".out"), dir / (id + ".err")));
        }
    }
    for (const int child : children)
        EXPECT_EQ(clitest::waitForInkstead(child, kPatience), 0);

    auto names = column(store.presets(), "name");
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names,
              (std::vector<std::string>{"Default", "P0", "P1", "P2", "P3", "P4", "P5", "Shared"}))
        << "every command reported success, so every preset must be there";
    EXPECT_EQ(store.marks("Shared").size(), std::size_t{kEach});
}

TEST(PresetsStorage, PresetsFileThatIsALinkStaysALink) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "list"});
    fs::create_directories(dir / "synced");
    fs::rename(store.presetsFile(), dir / "synced" / "presets.bin");
    fs::create_symlink("../../synced/presets.bin", store.presetsFile());

    store.ok({"presets", "create", "Web"});
    EXPECT_TRUE(fs::is_symlink(store.presetsFile()));
    EXPECT_EQ(column(store.presets(), "name"), (std::vector<std::string>{"Default", "Web"}));
}

TEST(PresetsStorage, AbandonedTemporaryFilesAreRemovedByTheNextWriter) {
    TempDir dir;
    const Store store(dir / "home");
    store.ok({"presets", "list"});
    const fs::path folder = store.presetsFile().parent_path();
    const auto plant = [](const fs::path& path, std::chrono::minutes age) {
        std::ofstream(path) << "partial";
        fs::last_write_time(path, fs::file_time_type::clock::now() - age);
    };
    const fs::path abandoned = folder / ".~inkstead-presets-Ab12Cd.bin";
    const fs::path fresh = folder / ".~inkstead-presets-Ef34Gh.bin"; // a live writer's
    const fs::path notOurs = folder / ".~notes.bin";
    plant(abandoned, 60min);
    plant(fresh, 0min);
    plant(notOurs, 60min);

    store.ok({"presets", "create", "Web"});
    EXPECT_FALSE(fs::exists(abandoned));
    EXPECT_TRUE(fs::exists(fresh));
    EXPECT_TRUE(fs::exists(notOurs));
}

TEST(PresetsStorage, ControlCharactersInNamesAreEscapedOnTheTerminal) {
    TempDir dir;
    const Store store(dir / "home");
    const std::string name = "Evil\x1b[2J\r\nName\xc2\x9b";
    store.ok({"presets", "create", name});
    for (const std::vector<std::string>& args : {std::vector<std::string>{"presets", "list"},
                                                 {"presets", "show", name},
                                                 {"presets", "rename", name, "Plain"}}) {
        const auto result = store.ok(args);
        EXPECT_FALSE(contains(result.out, "\x1b")) << result.out;
        EXPECT_FALSE(contains(result.out, "\r")) << result.out;
        EXPECT_FALSE(contains(result.out, "\xc2\x9b")) << result.out;
        EXPECT_TRUE(contains(result.out, "Evil\\x1b[2J\\r\\nName\\u009b")) << result.out;
    }
}
