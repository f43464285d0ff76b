#pragma once

#include <filesystem>
#include <string>

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

} // namespace ov::test

/// Skips the running test when the real test photographs are not there (a bare clone).
#define OV_REQUIRE_TESTDATA()                                                                      \
    do {                                                                                           \
        if (!std::filesystem::is_directory(ov::test::testDataDir()))                               \
            GTEST_SKIP() << "real test photographs not found in " << ov::test::testDataDir();      \
    } while (false)
