#include "ExportOptions.h"

#include "MarkValues.h"

#include "inkstead/platform/dispatch/Dispatch.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace cli {
namespace {

constexpr std::string_view kResizeHint =
    "use 2048px, 50%, width:1600, height:1200, long:2048 or none";

std::string trim(std::string_view text) {
    const auto begin = text.find_first_not_of(" \t");
    if (begin == std::string_view::npos)
        return {};
    const auto end = text.find_last_not_of(" \t");
    return std::string(text.substr(begin, end - begin + 1));
}

// A positive number, with nothing after it.
std::optional<double> parsePositive(std::string_view text) {
    double value = 0;
    const auto* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (ec != std::errc() || ptr != end || !std::isfinite(value) || value <= 0)
        return std::nullopt;
    return value;
}

// "1600", "1600px" or "50%" for one side.
ResizeSetting parseAmount(std::string_view text, OVResizeConstraint constraint,
                          std::string_view whole) {
    ResizeSetting setting;
    setting.constraint = constraint;
    if (text.ends_with('%')) {
        setting.method = OVResizeMethodPercentage;
        text.remove_suffix(1);
    } else if (text.ends_with("px")) {
        text.remove_suffix(2);
    } else if (parsePositive(text)) {
        throw usageError("--resize " + std::string(whole) + ": \"" + std::string(text) +
                             "\" needs a unit",
                         "write pixels or a percentage, e.g. " + std::string(text) + "px or " +
                             std::string(text) + "%");
    }
    const auto value = parsePositive(text);
    if (!value)
        throw usageError("--resize " + std::string(whole) + ": not a positive size",
                         std::string(kResizeHint));
    if (setting.method == OVResizeMethodPercentage && *value > 100)
        throw usageError("--resize " + std::string(whole) + ": above 100%",
                         "inkstead never enlarges a photo; " + std::string(kResizeHint));
    if (setting.method == OVResizeMethodPixels && *value < 1)
        throw usageError("--resize " + std::string(whole) + ": below one pixel",
                         std::string(kResizeHint));
    // The library reads a percentage of 1 or below as a fraction; keep "1%" one percent.
    setting.value =
        setting.method == OVResizeMethodPercentage && *value <= 1 ? *value / 100 : *value;
    return setting;
}

} // namespace

ResizeSetting parseResize(std::string_view raw) {
    const std::string text = trim(raw);
    if (text == "none" || text == "off" || text == "original")
        return ResizeSetting{.enabled = false};
    const auto colon = text.find(':');
    if (colon == std::string::npos)
        return parseAmount(
            text, text.ends_with('%') ? OVResizeConstraintWidth : OVResizeConstraintLongestSide,
            text);
    const std::string side = text.substr(0, colon);
    const std::string amount = text.substr(colon + 1);
    if (side == "width" || side == "w")
        return parseAmount(amount, OVResizeConstraintWidth, text);
    if (side == "height" || side == "h")
        return parseAmount(amount, OVResizeConstraintHeight, text);
    if (side == "long" || side == "longest")
        return parseAmount(amount, OVResizeConstraintLongestSide, text);
    throw usageError("--resize " + text + ": unknown side \"" + side + "\"",
                     std::string(kResizeHint));
}

void applyResize(OVPreset& preset, const ResizeSetting& setting) {
    preset.setShouldResize(setting.enabled);
    if (setting.enabled) {
        preset.setResizeConstraint(setting.constraint);
        preset.setResizeMethod(setting.method);
        preset.setResizeValue(setting.value);
    }
}

std::vector<std::string> parsePatternTokens(std::string_view text) {
    std::vector<std::string> tokens;
    std::size_t begin = 0;
    for (;;) {
        const auto comma = text.find(',', begin);
        const auto token = text.substr(
            begin, comma == std::string_view::npos ? std::string_view::npos : comma - begin);
        if (token.empty())
            throw usageError("--pattern " + std::string(text) + ": empty token",
                             "separate tokens by single commas, e.g. filename,-,increment");
        if (token.find('/') != std::string_view::npos || token.find('\0') != std::string_view::npos)
            throw usageError("--pattern: \"" + std::string(token) +
                                 "\" cannot be part of a file name",
                             "a pattern names files inside the output folder; leave out '/'");
        tokens.emplace_back(token);
        if (comma == std::string_view::npos)
            break;
        begin = comma + 1;
    }
    return tokens;
}

std::uint64_t parseDateStyle(std::string_view text) {
    if (text == "short")
        return 0;
    if (text == "medium")
        return 1;
    if (text == "long")
        return 2;
    throw usageError("--date-style " + std::string(text) + ": unknown style",
                     "use short, medium or long");
}

namespace {

template <std::size_t N> std::vector<std::string> namesOf(const char* const (&names)[N]) {
    return {names, names + N};
}

template <std::size_t N>
std::uint64_t valueNamed(const std::string& name, const char* const (&names)[N]) {
    return static_cast<std::uint64_t>(std::find(names, names + N, name) - names);
}

} // namespace

void addOutputFileOptions(CLI::App& command, OutputFileSettings& settings) {
    command
        .add_flag("--strip-location", settings.stripLocation,
                  "Remove GPS location and place names from the outputs")
        ->excludes(command.add_flag("--keep-location", settings.keepLocation,
                                    "Keep the location in the outputs"));
    command
        .add_option("--format", settings.format,
                    "File type of the outputs: source (each photo's own), jpeg, png, webp, "
                    "avif or jxl; the output names' extensions follow")
        ->check(CLI::IsMember(namesOf(kOVOutputFormatNames)));
    command
        .add_option("--metadata", settings.metadata,
                    "What the outputs keep of the photos' metadata: keep-all, strip-location, "
                    "strip-private (also serial numbers, owner names, maker notes) or "
                    "copyright-only")
        ->check(CLI::IsMember(namesOf(kOVMetadataPolicyNames)));
    command.add_option(
        "--artist", settings.artist,
        "Creator written into the outputs (EXIF, XMP, IPTC); \"\" keeps the photos' own");
    command.add_option("--copyright", settings.copyright,
                       "Copyright notice written into the outputs; \"\" keeps the photos' own");
}

void applyOutputFileSettings(OVPreset& preset, const OutputFileSettings& settings) {
    // The location flags first: a --metadata policy given with them has the last word.
    if (settings.stripLocation || settings.keepLocation)
        preset.setShouldStripMetadata(settings.stripLocation);
    if (!settings.format.empty())
        preset.setOutputFormat(
            static_cast<OVOutputFormat>(valueNamed(settings.format, kOVOutputFormatNames)));
    if (!settings.metadata.empty())
        preset.setMetadataPolicy(
            static_cast<OVMetadataPolicy>(valueNamed(settings.metadata, kOVMetadataPolicyNames)));
    if (settings.artist)
        preset.setMetadataArtist(*settings.artist);
    if (settings.copyright)
        preset.setMetadataCopyright(*settings.copyright);
}

void addStoreOptions(CLI::App& command, CommonOptions& common) {
    command
        .add_option("--home", common.home,
                    "Storage folder of presets and pictures (default: $INKSTEAD_HOME, else "
                    "the user's data folder)")
        ->type_name("DIR");
    command
        .add_option("--presets-file", common.presetsFile,
                    "Read presets from this presets file instead of the storage's own")
        ->type_name("FILE");
    command.add_flag("-q,--quiet", common.quiet, "No progress and no summary; errors still show");
}

void addOutputOptions(CLI::App& command, OutputOptions& options) {
    command.add_option("--preset", options.preset, "Preset name or UUID (default: the first)")
        ->type_name("PRESET");
    command
        .add_option(
            "--quality", options.quality,
            "Quality of JPEG, WebP, HEIC, AVIF and JPEG XL outputs, 1 (smallest) to 100 (best); "
            "default: the preset's, else 90")
        ->check(CLI::Range(1, 100));
    command
        .add_option("--resize", options.resize,
                    "Output size, overriding the preset: 2048px (longest side), 50%, "
                    "width:1600, height:1200, long:2048, or none")
        ->type_name("SIZE");
    command.add_option("--text", options.text,
                       "Add a text mark for this run only (white with a soft shadow unless "
                       "--color and --shadow say otherwise)");
    command.add_option("--logo", options.logo, "Add a picture mark from FILE for this run only")
        ->type_name("FILE");
    addOutputFileOptions(command, options.file);
    addMarkOptions(command, options.mark);
    command.get_option("--anchor")->each([&options](const std::string&) {
        options.anchorGiven = true;
    });
    const char* group = "Placement of --text and --logo";
    const std::pair<const char*, OutputOptions::OwnPlacement*> marks[] = {
        {"text", &options.textPlacement}, {"logo", &options.logoPlacement}};
    for (const auto& [mark, placement] : marks) {
        const std::string name = mark;
        command
            .add_option("--" + name + "-anchor", placement->anchor,
                        "--anchor for the " + name + " mark alone")
            ->group(group);
        command
            .add_option("--" + name + "-margin", placement->margin,
                        "--margin for the " + name + " mark alone")
            ->group(group);
        command
            .add_option("--" + name + "-width", placement->width,
                        "--width for the " + name + " mark alone")
            ->group(group);
    }
}

OVPresetPtr makeWorkingPreset(const OVPreset& stored, const OutputOptions& options) {
    OVPresetPtr working = stored.copy();
    if (!options.resize.empty())
        applyResize(*working, parseResize(options.resize));
    applyOutputFileSettings(*working, options.file);

    auto placed = [&options](const OutputOptions::OwnPlacement& own, std::string anchor,
                             const std::string& name) {
        if (!own.margin.empty())
            requireUnit(own.margin, "--" + name + "-margin");
        if (!own.width.empty())
            requireUnit(own.width, "--" + name + "-width");
        MarkOptions mark = options.mark;
        if (!options.anchorGiven)
            mark.anchor = std::move(anchor);
        if (!own.anchor.empty())
            mark.anchor = own.anchor;
        if (!own.margin.empty())
            mark.margin = own.margin;
        if (!own.width.empty())
            mark.width = own.width;
        return mark;
    };
    // Marks of this run only keep their pictures in memory: they leave nothing in the storage.
    const OVStorageFolder inMemory = OVStorageFolder().readOnly();
    std::vector<OVWatermarkPtr> marks;
    if (!options.text.empty()) {
        // White with a soft shadow reads on light and dark photos alike.
        MarkOptions text = placed(options.textPlacement, "bottom-right", "text");
        if (text.color.empty())
            text.color = "#FFFFFF";
        if (text.shadow.empty())
            text.shadow = "0.5";
        marks.push_back(makeMark("text", text, options.text, inMemory));
    }
    // A logo next to a text takes the other bottom corner, so the two never cover each other.
    if (!options.logo.empty())
        marks.push_back(
            makeMark("image",
                     placed(options.logoPlacement,
                            options.text.empty() ? "bottom-right" : "bottom-left", "logo"),
                     options.logo, inMemory));
    for (const auto& mark : marks)
        working->addWatermark(mark);
    working->setEnableExportMode();
    return working;
}

std::optional<double> encoderQuality(const OutputOptions& options) {
    if (!options.quality)
        return std::nullopt;
    return *options.quality / 100.0;
}

} // namespace cli
