#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ov::test {

/// A fresh folder below the system's temporary directory, removed with its contents on destruction.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    [[nodiscard]] const std::filesystem::path& path() const { return path_; }
    [[nodiscard]] std::filesystem::path operator/(const std::string& name) const {
        return path_ / name;
    }

private:
    std::filesystem::path path_;
};

/// Folder of the real test photographs (orientation/Landscape_0..8.jpg, Portrait_0..8.jpg):
/// $INKSTEAD_TESTDATA_DIR when set, else the folder configured as OV_TESTDATA_DIR.
std::filesystem::path testDataDir();

/// Writes `content` to `path` (creating its folder); returns the path.
std::filesystem::path writeFile(const std::filesystem::path& path, const std::string& content);
/// The bytes of a file, empty when it cannot be read.
std::string readFile(const std::filesystem::path& path);
/// Names of the entries of `directory` (hidden ones included), sorted; none when it is missing.
std::vector<std::string> listDirectory(const std::filesystem::path& directory);

/// Sets an environment variable (unsets it for a null value) for the life of the object, then
/// restores the previous value.
class ScopedEnvironment {
public:
    ScopedEnvironment(std::string name, const char* value);
    ScopedEnvironment(std::string name, const std::string& value)
        : ScopedEnvironment(std::move(name), value.c_str()) {}
    ~ScopedEnvironment();
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;

private:
    std::string name_;
    std::optional<std::string> saved_;
};

/// A test whose shared storage ($INKSTEAD_HOME) is a fresh temporary folder, `home`.
class StorageTest : public testing::Test {
protected:
    TempDir home;
    ScopedEnvironment storage{"INKSTEAD_HOME", home.path()};
};

/// Collects the log lines written while alive.
class LogCapture {
public:
    LogCapture();
    ~LogCapture();
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;
    [[nodiscard]] std::vector<std::string> lines() const;
    void clear();

private:
    std::function<void(std::string_view)> previous_;
    mutable std::mutex mutex_;
    std::vector<std::string> lines_;
};

} // namespace ov::test

/// Skips the running test when the real test photographs are not there (a bare clone).
#define OV_REQUIRE_TESTDATA()                                                                      \
    do {                                                                                           \
        if (!std::filesystem::is_directory(ov::test::testDataDir()))                               \
            GTEST_SKIP() << "real test photographs not found in " << ov::test::testDataDir();      \
    } while (false)
