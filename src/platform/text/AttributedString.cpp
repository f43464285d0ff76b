#include "inkstead/platform/text/AttributedString.h"

#include <glib.h>

namespace ov {

namespace {

constexpr std::string_view kReplacementCharacter = "\xEF\xBF\xBD";

// Valid UTF-8 without NUL characters, which the layout would otherwise cut the text at.
std::string sanitized(std::string_view text) {
    std::string valid;
    if (g_utf8_validate(text.data(), static_cast<gssize>(text.size()), nullptr)) {
        valid.assign(text);
    } else {
        gchar* fixed = g_utf8_make_valid(text.data(), static_cast<gssize>(text.size()));
        valid = fixed;
        g_free(fixed);
    }
    if (valid.find('\0') == std::string::npos)
        return valid;
    std::string out;
    out.reserve(valid.size() + 8);
    for (char c : valid) {
        if (c == '\0')
            out.append(kReplacementCharacter);
        else
            out.push_back(c);
    }
    return out;
}

} // namespace

AttributedString::AttributedString(std::string_view text) {
    replaceAllCharacters(text);
}

void AttributedString::replaceAllCharacters(std::string_view text) {
    text_ = sanitized(text);
    length_ =
        static_cast<std::size_t>(g_utf8_strlen(text_.data(), static_cast<gssize>(text_.size())));
}

} // namespace ov
