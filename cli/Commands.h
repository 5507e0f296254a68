#pragma once
// Each verb group adds its verbs: the syntax its words are read with, and what runs when it is chosen.
#include <functional>
#include <vector>

#include "cli/Arguments.h"
#include "cli/CliSession.h"

namespace kestrun::cli {

struct Verb {
  VerbSyntax syntax;
  std::function<int(CliSession&, const Arguments&)> run;  // returns the exit code
};

void AddListCommand(std::vector<Verb>& verbs);
void AddChangeCommands(std::vector<Verb>& verbs);  // disable, enable, remove
void AddCreateCommand(std::vector<Verb>& verbs);
void AddExportCommand(std::vector<Verb>& verbs);
void AddApplyCommand(std::vector<Verb>& verbs);
void AddCheckCommand(std::vector<Verb>& verbs);
void AddHistoryCommand(std::vector<Verb>& verbs);
void AddUndoCommand(std::vector<Verb>& verbs);

}  // namespace kestrun::cli
