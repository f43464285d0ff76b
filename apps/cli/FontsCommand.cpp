// `inkstead fonts [PATTERN]`: the font families and styles installed, for --font.

#include "CliSupport.h"

#include "inkstead/platform/text/Font.h"

#include <cstdio>
#include <memory>

namespace cli {

void registerFontsCommand(CLI::App& app, CommonOptions&, int& exitCode) {
    auto pattern = std::make_shared<std::string>();
    auto* command = app.add_subcommand(
        "fonts", "List the installed font families and their styles (names for --font)");
    command->footer("Examples:\n  inkstead fonts\n  inkstead fonts dejavu\n\n--font takes a "
                    "family, or a family with its style: \"DejaVu Sans Bold Oblique\".");
    command->add_option("PATTERN", *pattern, "Show only faces whose name contains this text");
    command->callback([pattern, &exitCode] {
        std::string family;
        std::string styles;
        auto flush = [&] {
            if (!family.empty())
                std::printf("%s: %s\n", printable(family).c_str(), printable(styles).c_str());
        };
        for (const auto& face : ov::installedFontFaces(*pattern)) {
            if (face.family != family) {
                flush();
                family = face.family;
                styles.clear();
            }
            styles += (styles.empty() ? "" : ", ") + face.style;
        }
        flush();
        exitCode = kExitSuccess;
    });
}

} // namespace cli
