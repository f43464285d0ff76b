#include "inkstead/geometry/OVNumberText.h"

#include "inkstead/platform/log/DecimalText.h"

#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace {

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const auto at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos)
            return parts;
        text.remove_prefix(at + 1);
    }
}

// The fractions of `text`'s comma-separated parts, when there are `count` and each is one.
std::optional<std::vector<double>> fractions(std::string_view text, std::size_t count) {
    const auto parts = split(text, ',');
    if (parts.size() != count)
        return std::nullopt;
    std::vector<double> values;
    for (const auto part : parts) {
        const auto value = OVFractionFromString(part);
        if (!value)
            return std::nullopt;
        values.push_back(*value);
    }
    return values;
}

ov::Error malformed(std::string_view what) {
    return ov::makeError(std::errc::invalid_argument, "not " + std::string(what));
}

ov::Error offTheImage(std::string_view what) {
    return ov::makeError(std::errc::result_out_of_range, std::string(what) + " off the image");
}

} // namespace

std::string_view OVTrimmedString(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::optional<double> OVNumberFromString(std::string_view text) {
    text = OVTrimmedString(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || ptr != end || !std::isfinite(value))
        return std::nullopt;
    return value;
}

std::optional<double> OVFractionFromString(std::string_view text) {
    text = OVTrimmedString(text);
    if (text.empty() || text.back() != '%')
        return OVNumberFromString(text);
    text.remove_suffix(1);
    const auto percent = OVNumberFromString(text);
    return percent ? std::optional(*percent / 100) : std::nullopt;
}

ov::Result<ov::Point> OVPointFractionFromString(std::string_view text) {
    const auto v = fractions(text, 2);
    if (!v)
        return malformed("a point X%,Y%");
    if ((*v)[0] < 0 || (*v)[0] > 1 || (*v)[1] < 0 || (*v)[1] > 1)
        return offTheImage("a point");
    return ov::Point{(*v)[0], (*v)[1]};
}

ov::Result<ov::Rect> OVRectFractionFromString(std::string_view text) {
    const auto v = fractions(text, 4);
    if (!v)
        return malformed("a rectangle X%,Y%,W%,H%");
    const double x = (*v)[0], y = (*v)[1], w = (*v)[2], h = (*v)[3];
    const double tolerance = 1e-9;
    if (x < 0 || y < 0 || w <= 0 || h <= 0 || x + w > 1 + tolerance || y + h > 1 + tolerance)
        return offTheImage("a rectangle");
    return ov::Rect{x, y, w, h};
}

std::string OVNumberString(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string OVPercentString(double fraction) {
    std::string result = ov::decimalText(fraction * 100, 2);
    if (result == "-0")
        result = "0";
    return result + "%";
}
