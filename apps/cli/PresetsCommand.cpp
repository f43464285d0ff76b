// PLACEHOLDER: replaced by the real `inkstead presets` command.
#include "CliSupport.h"

void cli::registerPresetsCommand(CLI::App& app, CommonOptions&, int&) {
    app.add_subcommand("presets", "(not built yet)")->callback([] {
        throw usageError("the presets command is not built yet");
    });
}
