#include "inkstead/platform/log/DecimalText.h"

#include <cstdio>

namespace ov {

std::string decimalText(double value, int maxDecimals) {
    const int length = std::snprintf(nullptr, 0, "%.*f", maxDecimals, value);
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    std::snprintf(text.data(), text.size(), "%.*f", maxDecimals, value);
    text.resize(static_cast<std::size_t>(length));
    if (text.find('.') != std::string::npos) {
        while (text.back() == '0')
            text.pop_back();
        if (text.back() == '.')
            text.pop_back();
    }
    return text;
}

} // namespace ov
