// The inkstead command: batch export, single renders, presets and watermarks from a terminal,
// and a self-contained demo. Each subcommand lives in its own file and registers itself here.

#include "CliSupport.h"
#include "NearestName.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <thread>

#ifdef __GLIBC__
#include <malloc.h>
#endif

namespace {

void printError(const std::string& message, const std::string& hint) {
    std::fprintf(stderr, "inkstead: error: %s\n", message.c_str());
    if (!hint.empty())
        std::fprintf(stderr, "hint: %s\n", hint.c_str());
}

// Options given after a subcommand's name are offered to the root too (-v, --version).
void letOptionsFallThrough(CLI::App& app) {
    for (CLI::App* command : app.get_subcommands({})) {
        command->fallthrough();
        letOptionsFallThrough(*command);
    }
}

// The command words typed so far and the hint for a parse error: the nearest command when a
// word names none, else the help of the deepest command named.
std::string hintFor(CLI::App& app, int argc, char** argv) {
    CLI::App* current = &app;
    std::string path = "inkstead";
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word.empty() || word.front() == '-')
            continue;
        std::vector<std::string> names;
        for (const CLI::App* command : current->get_subcommands({}))
            names.push_back(command->get_name());
        if (names.empty())
            break;
        if (std::find(names.begin(), names.end(), word) != names.end()) {
            current = current->get_subcommand(word);
            path += " " + word;
            continue;
        }
        if (const std::string nearest = cli::nearestName(word, names); !nearest.empty())
            return "did you mean `" + path + " " + nearest + "`?";
        break;
    }
    return "see `" + path + " --help`";
}

// An export decodes and encodes on libvips' worker threads, and each thread would get a malloc
// arena of its own that keeps the strips it freed: the peak memory would grow with the number
// of threads that ever ran an image rather than with the images in flight (one per core by
// default). One arena per core keeps the two together. Must run before the first thread.
void limitMallocArenas() {
#ifdef __GLIBC__
    mallopt(M_ARENA_MAX, static_cast<int>(std::max(2u, std::thread::hardware_concurrency())));
#endif
}

} // namespace

int main(int argc, char** argv) {
    limitMallocArenas();
    CLI::App app{
        "Stamps watermarks onto photographs: text, logos, shapes, arrows, a strike-through "
        "cross and pixellated regions, placed relative to the image so one preset fits "
        "photos of any size and orientation.",
        "inkstead"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "inkstead " INKSTEAD_VERSION);

    cli::CommonOptions common;
    int exitCode = cli::kExitSuccess;
    cli::registerExportCommand(app, common, exitCode);
    cli::registerRenderCommand(app, common, exitCode);
    cli::registerPresetsCommand(app, common, exitCode);
    cli::registerWatermarkCommand(app, common, exitCode);
    cli::registerDemoCommand(app, common, exitCode);
    cli::registerFontsCommand(app, common, exitCode);
    cli::registerManifestCommand(app, common, exitCode);
    cli::registerCompletionCommand(app, common, exitCode);
    app.add_flag("-v,--verbose", common.verbose, "Say more: each file written, each choice made");
    letOptionsFallThrough(app);

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForVersion& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        printError(e.what(), hintFor(app, argc, argv));
        return cli::kExitUsage;
    } catch (const cli::CliError& e) {
        printError(e.what(), e.hint());
        return e.code();
    } catch (const std::exception& e) {
        printError(e.what(), {});
        return cli::kExitSomeFailed;
    }
    return exitCode;
}
