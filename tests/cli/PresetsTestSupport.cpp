#include "PresetsTestSupport.h"

#include "inkstead/platform/gfx/GraphicsContext.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <iterator>

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

fs::path Store::presetsFile() const {
    return home_ / "Inkstead" / "presets.bin";
}

std::vector<std::string> Store::pictures() const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : fs::directory_iterator(home_ / "Inkstead" / "images", error))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

std::string Store::presetsBytes() const {
    std::ifstream in(presetsFile(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

void writeLogo(const fs::path& path, int width, int height, const ov::Color& color) {
    auto context = ov::GraphicsContext::createBitmap(width, height);
    context->setFillColor(color);
    context->fillRect({0, 0, double(width), double(height)});
    ASSERT_TRUE(context->writePNG(path));
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

PixelBox boxOfColor(const ov::Image& image, const ov::Color& color, int tolerance) {
    int minX = image.width(), minY = image.height(), maxX = -1, maxY = -1;
    auto near = [&](double a, double b) { return std::fabs(a - b) * 255 <= tolerance; };
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            // colorAt() counts rows upward.
            const ov::Color c = image.colorAt(x, image.height() - 1 - y);
            if (near(c.red, color.red) && near(c.green, color.green) && near(c.blue, color.blue)) {
                minX = std::min(minX, x);
                maxX = std::max(maxX, x);
                minY = std::min(minY, y);
                maxY = std::max(maxY, y);
            }
        }
    if (maxX < 0)
        return {};
    return {minX, minY, maxX - minX + 1, maxY - minY + 1};
}

std::vector<std::string> column(const nlohmann::json& rows, const std::string& key) {
    std::vector<std::string> list;
    for (const auto& row : rows)
        list.push_back(row[key]);
    return list;
}

} // namespace clitest
