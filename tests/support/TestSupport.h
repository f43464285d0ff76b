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

/// Folder of the shared test photographs (orientation/Landscape_0..8.jpg, Portrait_0..8.jpg).
std::filesystem::path testDataDir();

} // namespace ov::test
