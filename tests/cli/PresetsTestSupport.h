#pragma once

// Helpers of the presets and watermark command tests: a storage folder driven through the
// binary, generated logo pictures, and reading the JSON the commands print.

#include "CliRunner.h"

#include "inkstead/platform/gfx/Color.h"
#include "inkstead/platform/gfx/Image.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <string>
#include <vector>

namespace clitest {

/// Command line arguments and a message they are expected to fail with.
using UsageCases = std::vector<std::pair<std::vector<std::string>, std::string>>;

/// A storage folder (given as --home) and the commands run against it.
class Store {
public:
    explicit Store(std::filesystem::path home) : home_(std::move(home)) {}

    /// `inkstead args... --home HOME`.
    RunResult run(std::vector<std::string> args) const;
    /// Runs and expects exit 0; the failure message shows standard error.
    RunResult ok(std::vector<std::string> args) const;
    /// `presets list --json`.
    [[nodiscard]] nlohmann::json presets() const;
    /// `watermark list P --json`.
    [[nodiscard]] nlohmann::json marks(const std::string& preset) const;
    /// `presets export P -` parsed.
    [[nodiscard]] nlohmann::json exported(const std::string& preset) const;
    /// Adds to Default a text ("Hello"), an image (of `logo`), a shape, an arrow, a
    /// strikethrough and a pixellate mark, in this order.
    void addOneOfEachKind(const std::filesystem::path& logo) const;
    /// Runs `prefix` followed by the arguments of each case and expects exit code 2 with the
    /// case's message on standard error.
    void expectUsageErrors(const std::vector<std::string>& prefix, const UsageCases& cases) const;

    [[nodiscard]] const std::filesystem::path& home() const { return home_; }
    [[nodiscard]] std::filesystem::path presetsFile() const;
    /// Names of the files in the folder of watermark pictures.
    [[nodiscard]] std::vector<std::string> pictures() const;
    /// The presets file's bytes ("" when missing).
    [[nodiscard]] std::string presetsBytes() const;

private:
    std::filesystem::path home_;
};

/// Writes a PNG of one opaque colour.
void writeLogo(const std::filesystem::path& path, int width, int height, const ov::Color& color);

/// The string member `key` of every element of `rows`, in order.
[[nodiscard]] std::vector<std::string> column(const nlohmann::json& rows, const std::string& key);
/// Whether `text` holds `part`.
[[nodiscard]] inline bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

/// `json` with every "uuid" member removed, at any depth.
[[nodiscard]] nlohmann::json withoutUUIDs(nlohmann::json json);

} // namespace clitest
