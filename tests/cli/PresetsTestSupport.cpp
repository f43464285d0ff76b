#include "PresetsTestSupport.h"

#include "support/PixelProbes.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using nlohmann::json;

namespace clitest {

RunResult Store::run(std::vector<std::string> args) const {
    args.push_back("--home");
    args.push_back(home_.string());
    return runInkstead(args);
}

RunResult Store::ok(std::vector<std::string> args) const {
    std::string command;
    for (const auto& arg : args)
        command += arg + " ";
    auto result = run(std::move(args));
    EXPECT_EQ(result.exitCode, 0) << command << "\n" << result.err;
    return result;
}

json Store::presets() const {
    return json::parse(ok({"presets", "list", "--json"}).out);
}

json Store::marks(const std::string& preset) const {
    return json::parse(ok({"watermark", "list", preset, "--json"}).out);
}

json Store::exported(const std::string& preset) const {
    return json::parse(ok({"presets", "export", preset, "-"}).out);
}

void Store::addOneOfEachKind(const fs::path& logo) const {
    ok({"watermark", "add", "Default", "text", "Hello"});
    ok({"watermark", "add", "Default", "image", "--image", logo.string()});
    for (const char* kind : {"shape", "arrow", "strikethrough", "pixellate"})
        ok({"watermark", "add", "Default", kind});
}

void Store::expectUsageErrors(const std::vector<std::string>& prefix,
                              const UsageCases& cases) const {
    for (const auto& [args, message] : cases) {
        std::vector<std::string> command = prefix;
        command.insert(command.end(), args.begin(), args.end());
        SCOPED_TRACE(args.empty() ? "" : args.back());
        const auto result = run(command);
        EXPECT_EQ(result.exitCode, 2);
        EXPECT_NE(result.err.find(message), std::string::npos) << result.err;
    }
}

fs::path Store::presetsFile() const {
    return home_ / "Inkstead" / "presets.bin";
}

std::vector<std::string> Store::pictures() const {
    return ov::test::listDirectory(home_ / "Inkstead" / "images");
}

std::string Store::presetsBytes() const {
    return ov::test::readFile(presetsFile());
}

void writeLogo(const fs::path& path, int width, int height, const ov::Color& color) {
    ASSERT_TRUE(ov::test::solidCanvas(width, height, color)->writePNG(path));
}

json withoutUUIDs(json value) {
    if (value.is_object()) {
        value.erase("uuid");
        for (auto& [key, member] : value.items())
            member = withoutUUIDs(member);
    } else if (value.is_array()) {
        for (auto& element : value)
            element = withoutUUIDs(element);
    }
    return value;
}

std::vector<std::string> column(const nlohmann::json& rows, const std::string& key) {
    std::vector<std::string> list;
    for (const auto& row : rows)
        list.push_back(row[key]);
    return list;
}

} // namespace clitest
