#include "support/TestSupport.h"

#include "platform/log/Log.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace ov::test {

TempDir::TempDir() {
    std::random_device rd;
    auto base = fs::temp_directory_path();
    for (;;) {
        auto candidate = base / ("inkstead-test-" + std::to_string(rd()));
        std::error_code ec;
        if (fs::create_directory(candidate, ec)) {
            path_ = candidate;
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ec;
    fs::permissions(path_, fs::perms::owner_all, fs::perm_options::add, ec);
    fs::remove_all(path_, ec);
}

fs::path testDataDir() {
    // INKSTEAD_TESTDATA_DIR overrides the configured folder (an empty or missing one tries the
    // suite as a bare clone runs it).
    if (const char* override = std::getenv("INKSTEAD_TESTDATA_DIR"))
        return override;
    return OV_TESTDATA_DIR;
}

fs::path writeFile(const fs::path& path, const std::string& content) {
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream(path, std::ios::binary) << content;
    return path;
}

std::string readFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<std::string> listDirectory(const fs::path& directory) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

ScopedEnvironment::ScopedEnvironment(std::string name, const std::string& value)
    : name_(std::move(name)) {
    if (const char* old = std::getenv(name_.c_str()))
        saved_ = old;
    setenv(name_.c_str(), value.c_str(), 1);
}

ScopedEnvironment::~ScopedEnvironment() {
    if (saved_)
        setenv(name_.c_str(), saved_->c_str(), 1);
    else
        unsetenv(name_.c_str());
}

LogCapture::LogCapture() {
    previous_ = ov::setLogSink([this](std::string_view line) {
        std::lock_guard lock(mutex_);
        lines_.emplace_back(line);
    });
}

LogCapture::~LogCapture() {
    ov::setLogSink(previous_);
}

std::vector<std::string> LogCapture::lines() const {
    std::lock_guard lock(mutex_);
    return lines_;
}

void LogCapture::clear() {
    std::lock_guard lock(mutex_);
    lines_.clear();
}

bool colorNear(const Color& a, const Color& b, double tolerance) {
    return std::abs(a.red - b.red) <= tolerance && std::abs(a.green - b.green) <= tolerance &&
           std::abs(a.blue - b.blue) <= tolerance && std::abs(a.alpha - b.alpha) <= tolerance;
}

std::unique_ptr<GraphicsContext> whiteCanvas(int width, int height) {
    auto context = GraphicsContext::createBitmap(width, height);
    context->setFillColor(Color::white());
    context->fillRect({0, 0, double(width), double(height)});
    return context;
}

void expectGray(const GraphicsContext& context, std::initializer_list<GrayProbe> probes) {
    const ImagePtr image = context.makeImage();
    for (const GrayProbe& p : probes)
        EXPECT_NEAR(image->colorAt(p.x, p.y).red, p.gray, 2.0 / 255) << "at " << p.x << "," << p.y;
}

void expectUprightPicture(const Image& image, int width, int height, const std::string& label) {
    ASSERT_EQ(image.width(), width) << label;
    ASSERT_EQ(image.height(), height) << label;
    // Positions as fractions of the width and height, y downwards; the first is in the mark.
    const std::pair<double, double> probes[] = {
        {0.19, 0.19}, {0.9, 0.1}, {0.1, 0.9}, {0.9, 0.9}, {0.5, 0.5}};
    for (const auto& [fx, fy] : probes) {
        const int x = static_cast<int>(fx * width);
        const int yDown = static_cast<int>(fy * height);
        const auto c = image.colorAt(x, height - 1 - yDown);
        const bool inMark = fx >= 0.125 && fx < 0.25 && fy >= 0.125 && fy < 0.25;
        const double red = inMark ? 5 : 255.0 * x / (width - 1);
        const double green = inMark ? 5 : 255.0 * yDown / (height - 1);
        EXPECT_NEAR(c.red * 255, red, 14) << label << " at " << fx << "," << fy;
        EXPECT_NEAR(c.green * 255, green, 14) << label << " at " << fx << "," << fy;
        EXPECT_NEAR(c.alpha, 1.0, 1e-6) << label;
    }
}

} // namespace ov::test
