// PLACEHOLDER: replaced by the real `inkstead render` command.
#include "CliSupport.h"

void cli::registerRenderCommand(CLI::App& app, CommonOptions&, int&) {
    app.add_subcommand("render", "(not built yet)")->callback([] {
        throw usageError("the render command is not built yet");
    });
}
