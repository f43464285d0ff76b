// The inkstead command: batch export, single renders, presets and watermarks from a terminal,
// and a self-contained demo. Each subcommand lives in its own file and registers itself here.

#include "CliSupport.h"

#include <cstdio>
#include <exception>

int main(int argc, char** argv) {
    CLI::App app{
        "Stamps watermarks onto photographs: text, logos, shapes, arrows, a strike-through "
        "cross and pixellated regions, placed relative to the image so one preset fits "
        "photos of any size and orientation.",
        "inkstead"};
    app.require_subcommand(1);
    app.set_version_flag("--version", "inkstead 0.1");

    cli::CommonOptions common;
    int exitCode = cli::kExitSuccess;
    cli::registerExportCommand(app, common, exitCode);
    cli::registerRenderCommand(app, common, exitCode);
    cli::registerPresetsCommand(app, common, exitCode);
    cli::registerWatermarkCommand(app, common, exitCode);
    cli::registerDemoCommand(app, common, exitCode);

    try {
        app.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // --help and --version exit 0; every other parse error is a usage error (2).
        const int code = app.exit(e);
        return code == 0 ? cli::kExitSuccess : cli::kExitUsage;
    } catch (const cli::CliError& e) {
        std::fprintf(stderr, "inkstead: %s\n", e.what());
        if (!e.hint().empty())
            std::fprintf(stderr, "hint: %s\n", e.hint().c_str());
        return e.code();
    } catch (const std::exception& e) {
        std::fprintf(stderr, "inkstead: %s\n", e.what());
        return cli::kExitSomeFailed;
    }
    return exitCode;
}
