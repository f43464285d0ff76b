#include "MarkValues.h"

#include "CliSupport.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <vector>

namespace cli {
namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    return text;
}

std::string lowered(std::string_view text) {
    std::string result(text);
    std::transform(result.begin(), result.end(), result.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return result;
}

CliError badValue(std::string_view option, std::string_view text, std::string_view expected) {
    return usageError(std::string(option) + ": invalid value \"" + std::string(text) + "\"",
                      "expected " + std::string(expected));
}

bool readNumber(std::string_view text, double& value) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const char* end = text.data() + text.size();
    const auto [ptr, error] = std::from_chars(text.data(), end, value);
    return error == std::errc() && ptr == end && std::isfinite(value);
}

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

// A percentage ("3%", "12.5 %") or a plain fraction; no range check.
bool readFraction(std::string_view text, double& fraction) {
    text = trimmed(text);
    if (!text.empty() && text.back() == '%') {
        text.remove_suffix(1);
        if (!readNumber(text, fraction))
            return false;
        fraction /= 100;
        return true;
    }
    return readNumber(text, fraction);
}

} // namespace

double parseNumber(std::string_view text, std::string_view option) {
    double value = 0;
    if (!readNumber(text, value))
        throw badValue(option, text, "a number");
    return value;
}

double parseFraction(std::string_view text, std::string_view option) {
    double fraction = 0;
    if (!readFraction(text, fraction))
        throw badValue(option, text, "a percentage such as 3% (or a fraction such as 0.03)");
    return fraction;
}

OVPlacementAnchor parseAnchor(std::string_view text, std::string_view option) {
    if (const auto anchor = OVPlacementAnchorNamed(lowered(trimmed(text))))
        return *anchor;
    throw badValue(option, text,
                   "top-left, top, top-right, left, center, right, bottom-left, bottom or "
                   "bottom-right");
}

ov::Point parsePointFraction(std::string_view text, std::string_view option) {
    const auto parts = split(text, ',');
    double x = 0, y = 0;
    if (parts.size() != 2 || !readFraction(parts[0], x) || !readFraction(parts[1], y))
        throw badValue(option, text, "X%,Y% measured from the top-left corner, e.g. 60%,40%");
    if (x < 0 || x > 1 || y < 0 || y > 1)
        throw badValue(option, text, "a point on the image (each value from 0% to 100%)");
    return {x, y};
}

ov::Rect parseRectFraction(std::string_view text, std::string_view option) {
    const auto parts = split(text, ',');
    double v[4] = {};
    bool ok = parts.size() == 4;
    for (std::size_t i = 0; ok && i < 4; ++i)
        ok = readFraction(parts[i], v[i]);
    if (!ok)
        throw badValue(option, text,
                       "X%,Y%,W%,H% (top-left corner, width, height), "
                       "e.g. 10%,10%,30%,20%");
    const double tolerance = 1e-9;
    if (v[0] < 0 || v[1] < 0 || v[2] <= 0 || v[3] <= 0 || v[0] + v[2] > 1 + tolerance ||
        v[1] + v[3] > 1 + tolerance)
        throw badValue(option, text, "a rectangle with a positive size that lies on the image");
    return {v[0], v[1], v[2], v[3]};
}

std::string formatNumber(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.10g", value);
    return text;
}

std::string formatPercent(double fraction) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", fraction * 100);
    std::string result = text;
    while (result.back() == '0')
        result.pop_back();
    if (result.back() == '.')
        result.pop_back();
    if (result == "-0")
        result = "0";
    return result + "%";
}

} // namespace cli
