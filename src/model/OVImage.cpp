#include "inkstead/model/OVImage.h"

#include "inkstead/platform/imageio/ImageSource.h"
#include "inkstead/platform/log/DecimalText.h"

#include <array>
#include <cmath>

OVImage::OVImage(std::filesystem::path url) : url_(std::move(url)) {}

std::shared_ptr<OVImage> OVImage::imageWithURL(const std::optional<std::filesystem::path>& url) {
    if (!url || url->empty())
        return nullptr;
    return std::make_shared<OVImage>(*url);
}

std::shared_ptr<ov::ImageSource> OVImage::copyCGImageSource() const {
    return ov::ImageSource::createWithURL(url_);
}

std::string OVImage::imageUID() const {
    return OVFileURLString(url_);
}

std::string OVImage::imageTitle() const {
    const auto text = OVFileURLString(url_);
    const auto slash = text.find_last_of('/', text.size() > 1 ? text.size() - 2 : 0);
    auto title = slash == std::string::npos ? text : text.substr(slash + 1);
    if (title.size() > 1 && title.back() == '/')
        title.pop_back();
    return title;
}

std::string OVImage::imageSubtitle() const {
    std::error_code ec;
    const auto size = std::filesystem::file_size(url_, ec);
    return ec ? std::string() : OVByteCountString(size);
}

std::string OVFileURLString(const std::filesystem::path& path) {
    static constexpr std::string_view kKept = "-._~!$&'()*+,;=:@/";
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string text = "file://";
    for (const unsigned char c : path.string()) {
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
            kKept.find(static_cast<char>(c)) != std::string_view::npos) {
            text += static_cast<char>(c);
        } else {
            text += '%';
            text += kHex[c >> 4];
            text += kHex[c & 0xF];
        }
    }
    return text;
}

std::string OVByteCountString(std::uint64_t bytes) {
    if (bytes == 0)
        return "Zero KB";
    if (bytes == 1)
        return "1 byte";
    if (bytes < 1000)
        return std::to_string(bytes).append(" bytes");
    static constexpr std::array<const char*, 6> kUnits = {"KB", "MB", "GB", "TB", "PB", "EB"};
    // Decimals shown per unit: kilobytes whole, megabytes one, the rest two.
    const auto decimalsOf = [](std::size_t unit) { return unit == 0 ? 0 : unit == 1 ? 1 : 2; };
    std::size_t unit = 0;
    double value = static_cast<double>(bytes) / 1000.0;
    for (;;) {
        const double scale = std::pow(10.0, decimalsOf(unit));
        const double rounded = std::round(value * scale) / scale;
        // 999,950 bytes round to "1000 KB"; show the next unit instead.
        if (rounded < 1000.0 || unit + 1 == kUnits.size()) {
            value = rounded;
            break;
        }
        value /= 1000.0;
        ++unit;
    }
    return ov::decimalText(value, decimalsOf(unit)).append(" ").append(kUnits[unit]);
}
