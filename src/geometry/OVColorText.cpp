#include "inkstead/geometry/OVColorText.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

namespace {

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

} // namespace

std::optional<ov::Color> OVColorFromString(std::string_view text) {
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.front())))
        text.remove_prefix(1);
    while (!text.empty() && std::isspace(static_cast<unsigned char>(text.back())))
        text.remove_suffix(1);
    std::string name(text);
    std::transform(name.begin(), name.end(), name.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    if (name == "none" || name == "transparent" || name == "clear")
        return ov::Color::clear();
    std::string_view hex = name;
    if (!hex.empty() && hex.front() == '#')
        hex.remove_prefix(1);
    if (hex.size() != 6 && hex.size() != 8)
        return std::nullopt;
    double components[4] = {0, 0, 0, 1};
    for (std::size_t i = 0; i < hex.size() / 2; ++i) {
        const int high = hexDigit(hex[2 * i]), low = hexDigit(hex[2 * i + 1]);
        if (high < 0 || low < 0)
            return std::nullopt;
        components[i] = (high * 16 + low) / 255.0;
    }
    return ov::Color{components[0], components[1], components[2], components[3]};
}

std::string OVColorString(const ov::Color& color) {
    auto byte = [](double component) {
        return static_cast<int>(std::lround(std::clamp(component, 0.0, 1.0) * 255));
    };
    char text[16];
    if (byte(color.alpha) == 255)
        std::snprintf(text, sizeof text, "#%02X%02X%02X", byte(color.red), byte(color.green),
                      byte(color.blue));
    else
        std::snprintf(text, sizeof text, "#%02X%02X%02X%02X", byte(color.red), byte(color.green),
                      byte(color.blue), byte(color.alpha));
    return text;
}

bool OVColorIsOnByteGrid(const ov::Color& color) {
    for (const double c : {color.red, color.green, color.blue, color.alpha})
        if (!(c >= 0 && c <= 1) || std::fabs(c * 255 - std::round(c * 255)) >= 1e-4)
            return false;
    return true;
}
