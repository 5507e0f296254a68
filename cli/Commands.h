#pragma once
// Each verb group registers its sub-commands; the one the user picks leaves its Verb to run.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace kestrun::cli {

void AddListCommand(CLI::App& app, Verb& verb);
void AddChangeCommands(CLI::App& app, Verb& verb);  // disable, enable, remove
void AddCreateCommand(CLI::App& app, Verb& verb);
void AddExportCommand(CLI::App& app, Verb& verb);
void AddApplyCommand(CLI::App& app, Verb& verb);
void AddCheckCommand(CLI::App& app, Verb& verb);
void AddHistoryCommand(CLI::App& app, Verb& verb);
void AddUndoCommand(CLI::App& app, Verb& verb);

}  // namespace kestrun::cli
