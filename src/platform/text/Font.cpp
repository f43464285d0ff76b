#include "inkstead/platform/text/Font.h"

#include "inkstead/platform/text/FontResolver_p.h"

namespace ov {

Font::Font() : name_(kDefaultFontName) {}

Font::Font(std::string name, double pointSize) : name_(std::move(name)), pointSize_(pointSize) {}

std::string Font::familyName() const {
    return detail::resolveFace(name_)->family;
}

} // namespace ov
