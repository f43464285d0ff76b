#include "inkstead/platform/text/FontResolver_p.h"

#include "inkstead/platform/text/Font.h"

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <mutex>
#include <optional>

namespace ov::detail {

ResolvedFace::~ResolvedFace() {
    if (description)
        pango_font_description_free(description);
}

namespace {

struct FaceQuery {
    std::string family;
    std::optional<int> weight; // fontconfig weight
    std::optional<int> slant;
    std::optional<int> width;
};

struct FaceAttributes {
    std::string family;
    int weight = FC_WEIGHT_REGULAR;
    int slant = FC_SLANT_ROMAN;
    int width = FC_WIDTH_NORMAL;
};

FaceAttributes attributesOf(FcPattern* pattern) {
    FaceAttributes face;
    FcChar8* family = nullptr;
    if (FcPatternGetString(pattern, FC_FAMILY, 0, &family) == FcResultMatch && family)
        face.family = reinterpret_cast<const char*>(family);
    FcPatternGetInteger(pattern, FC_WEIGHT, 0, &face.weight);
    FcPatternGetInteger(pattern, FC_SLANT, 0, &face.slant);
    FcPatternGetInteger(pattern, FC_WIDTH, 0, &face.width);
    return face;
}

// An installed face whose `object` (PostScript name, full name, family) is exactly `value`.
std::optional<FaceAttributes> listedFace(const char* object, const std::string& value) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, object, reinterpret_cast<const FcChar8*>(value.c_str()));
    FcObjectSet* objects = FcObjectSetBuild(FC_FAMILY, FC_WEIGHT, FC_SLANT, FC_WIDTH, nullptr);
    FcFontSet* set = FcFontList(nullptr, pattern, objects);
    std::optional<FaceAttributes> result;
    if (set) {
        // Prefer the most regular face when a family name lists several.
        int best = -1;
        int bestScore = 0;
        for (int i = 0; i < set->nfont; ++i) {
            const FaceAttributes face = attributesOf(set->fonts[i]);
            const int score = std::abs(face.weight - FC_WEIGHT_REGULAR) +
                              (face.slant != FC_SLANT_ROMAN ? 1000 : 0) +
                              std::abs(face.width - FC_WIDTH_NORMAL) * 10;
            if (best < 0 || score < bestScore) {
                best = i;
                bestScore = score;
            }
        }
        if (best >= 0)
            result = attributesOf(set->fonts[best]);
        FcFontSetDestroy(set);
    }
    FcObjectSetDestroy(objects);
    FcPatternDestroy(pattern);
    return result;
}

std::string lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// "Helvetica-BoldOblique" → family "Helvetica", bold, oblique. Style words are matched inside
// the part after the last hyphen, longest words first so "semibold" is not read as "bold".
FaceQuery parseStyledName(const std::string& name) {
    FaceQuery query{name, {}, {}, {}};
    const auto hyphen = name.rfind('-');
    if (hyphen == std::string::npos || hyphen == 0 || hyphen + 1 == name.size())
        return query;
    query.family = name.substr(0, hyphen);
    std::string style = lower(std::string_view(name).substr(hyphen + 1));

    static constexpr std::array<std::pair<std::string_view, int>, 13> weights{{
        {"extralight", FC_WEIGHT_EXTRALIGHT},
        {"ultralight", FC_WEIGHT_ULTRALIGHT},
        {"extrabold", FC_WEIGHT_EXTRABOLD},
        {"ultrabold", FC_WEIGHT_ULTRABOLD},
        {"semibold", FC_WEIGHT_SEMIBOLD},
        {"demibold", FC_WEIGHT_DEMIBOLD},
        {"medium", FC_WEIGHT_MEDIUM},
        {"black", FC_WEIGHT_BLACK},
        {"heavy", FC_WEIGHT_HEAVY},
        {"light", FC_WEIGHT_LIGHT},
        {"thin", FC_WEIGHT_THIN},
        {"bold", FC_WEIGHT_BOLD},
        {"demi", FC_WEIGHT_DEMIBOLD},
    }};
    for (const auto& [word, weight] : weights) {
        if (auto at = style.find(word); at != std::string::npos) {
            query.weight = weight;
            style.erase(at, word.size());
            break;
        }
    }
    if (style.find("italic") != std::string::npos)
        query.slant = FC_SLANT_ITALIC;
    else if (style.find("oblique") != std::string::npos)
        query.slant = FC_SLANT_OBLIQUE;
    if (style.find("condensed") != std::string::npos || style.find("narrow") != std::string::npos)
        query.width = FC_WIDTH_CONDENSED;
    if (!query.weight)
        query.weight = FC_WEIGHT_REGULAR;
    if (!query.slant)
        query.slant = FC_SLANT_ROMAN;
    return query;
}

// The configuration's best face for the query: its aliases map well-known family names to
// metric-compatible faces, and unknown families to the default face.
FaceAttributes matchedFace(const FaceQuery& query) {
    FcPattern* pattern = FcPatternCreate();
    FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(query.family.c_str()));
    if (query.weight)
        FcPatternAddInteger(pattern, FC_WEIGHT, *query.weight);
    if (query.slant)
        FcPatternAddInteger(pattern, FC_SLANT, *query.slant);
    if (query.width)
        FcPatternAddInteger(pattern, FC_WIDTH, *query.width);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    FaceAttributes face;
    if (match) {
        face = attributesOf(match);
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    if (face.family.empty())
        face.family = "sans-serif";
    return face;
}

FaceAttributes findFace(const std::string& name) {
    if (auto face = listedFace(FC_POSTSCRIPT_NAME, name))
        return *face;
    if (auto face = listedFace(FC_FULLNAME, name))
        return *face;
    if (auto face = listedFace(FC_FAMILY, name))
        return *face;
    return matchedFace(parseStyledName(name));
}

PangoStretch stretchOf(int width) {
    if (width <= FC_WIDTH_ULTRACONDENSED)
        return PANGO_STRETCH_ULTRA_CONDENSED;
    if (width <= FC_WIDTH_EXTRACONDENSED)
        return PANGO_STRETCH_EXTRA_CONDENSED;
    if (width <= FC_WIDTH_CONDENSED)
        return PANGO_STRETCH_CONDENSED;
    if (width < FC_WIDTH_NORMAL)
        return PANGO_STRETCH_SEMI_CONDENSED;
    if (width == FC_WIDTH_NORMAL)
        return PANGO_STRETCH_NORMAL;
    if (width <= FC_WIDTH_SEMIEXPANDED)
        return PANGO_STRETCH_SEMI_EXPANDED;
    if (width <= FC_WIDTH_EXPANDED)
        return PANGO_STRETCH_EXPANDED;
    if (width <= FC_WIDTH_EXTRAEXPANDED)
        return PANGO_STRETCH_EXTRA_EXPANDED;
    return PANGO_STRETCH_ULTRA_EXPANDED;
}

std::shared_ptr<const ResolvedFace> makeFace(const std::string& name) {
    const FaceAttributes found = findFace(name);
    auto face = std::make_shared<ResolvedFace>();
    face->family = found.family;
    face->description = pango_font_description_new();
    pango_font_description_set_family(face->description, found.family.c_str());
    pango_font_description_set_weight(
        face->description,
        static_cast<PangoWeight>(FcWeightToOpenTypeDouble(static_cast<double>(found.weight))));
    pango_font_description_set_style(face->description,
                                     found.slant == FC_SLANT_ITALIC    ? PANGO_STYLE_ITALIC
                                     : found.slant == FC_SLANT_OBLIQUE ? PANGO_STYLE_OBLIQUE
                                                                       : PANGO_STYLE_NORMAL);
    pango_font_description_set_stretch(face->description, stretchOf(found.width));
    char* text = pango_font_description_to_string(face->description);
    face->key = text;
    g_free(text);
    return face;
}

} // namespace

std::shared_ptr<const ResolvedFace> resolveFace(std::string_view requested) {
    static std::mutex mutex;
    static std::map<std::string, std::shared_ptr<const ResolvedFace>, std::less<>> faces;
    const std::string_view name = requested.empty() ? kDefaultFontName : requested;

    std::lock_guard lock(mutex);
    if (auto it = faces.find(name); it != faces.end())
        return it->second;
    // Few distinct names are ever asked for; a bound keeps hostile input from growing it.
    if (faces.size() > 512)
        faces.clear();
    FcInit();
    auto face = makeFace(std::string(name));
    faces.emplace(std::string(name), face);
    return face;
}

} // namespace ov::detail
