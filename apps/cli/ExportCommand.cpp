// PLACEHOLDER: replaced by the real `inkstead export` command.
#include "CliSupport.h"

void cli::registerExportCommand(CLI::App& app, CommonOptions&, int&) {
    app.add_subcommand("export", "(not built yet)")->callback([] {
        throw usageError("the export command is not built yet");
    });
}
