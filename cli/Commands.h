#pragma once
// Each verb group registers its sub-commands; the one the user picks leaves its Action to run.
#include <CLI/CLI.hpp>

#include "cli/CliSession.h"

namespace kestrun::cli {

void AddListCommand(CLI::App& app, Action& action);
void AddChangeCommands(CLI::App& app, Action& action);  // disable, enable, remove
void AddCreateCommand(CLI::App& app, Action& action);
void AddExportCommand(CLI::App& app, Action& action);
void AddApplyCommand(CLI::App& app, Action& action);
void AddCheckCommand(CLI::App& app, Action& action);
void AddHistoryCommand(CLI::App& app, Action& action);
void AddUndoCommand(CLI::App& app, Action& action);

}  // namespace kestrun::cli
