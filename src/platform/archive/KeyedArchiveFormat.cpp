#include "inkstead/platform/archive/KeyedArchiveFormat_p.h"

#include <charconv>
#include <cmath>

namespace ov::keyed {

namespace {

std::string formatNumber(double value, int precision) {
    if (!std::isfinite(value))
        value = 0; // neither the archive's text forms nor its readers know NaN or infinity
    char buffer[64];
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, precision);
    return std::string(buffer, result.ptr);
}

} // namespace

std::string formatCoordinate(double value) {
    return formatNumber(value, 17);
}

std::string formatPoint(Point point) {
    return "{" + formatCoordinate(point.x) + ", " + formatCoordinate(point.y) + "}";
}

std::string formatSize(Size size) {
    return "{" + formatCoordinate(size.width) + ", " + formatCoordinate(size.height) + "}";
}

std::string formatRect(const Rect& rect) {
    return "{" + formatPoint(rect.origin) + ", " + formatSize(rect.size) + "}";
}

std::vector<double> parseNumbers(std::string_view text) {
    std::vector<double> numbers;
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end && *p != '\0') {
        char c = *p;
        bool starts = (c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.';
        if (!starts) {
            ++p;
            continue;
        }
        const char* start = c == '+' ? p + 1 : p;
        double value = 0;
        auto result = std::from_chars(start, end, value, std::chars_format::general);
        if (result.ec == std::errc::invalid_argument || result.ptr == start) {
            ++p;
            continue;
        }
        if (result.ec == std::errc::result_out_of_range)
            value = 0;
        numbers.push_back(value);
        p = result.ptr;
    }
    return numbers;
}

std::string formatComponents(const std::vector<double>& components) {
    std::string text;
    for (std::size_t i = 0; i < components.size(); ++i) {
        if (i)
            text.push_back(' ');
        text += formatNumber(components[i], 10);
    }
    text.push_back('\0');
    return text;
}

} // namespace ov::keyed
