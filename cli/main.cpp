// kestrun-cli: the startup entries of this machine on the console, through the same store as the
// window. Exit codes: 0 done, 1 the operation failed (check: the machine differs), 2 the command line
// was wrong, 3 check could not read the machine or its file.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <string>
#include <vector>

#include "KestrunVersion.h"
#include "base/Text.h"
#include "base/Texts.h"
#include "base/ThreadScope.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

namespace kestrun::cli {
namespace {

std::vector<Verb> AllVerbs() {
  std::vector<Verb> verbs;
  AddListCommand(verbs);
  AddChangeCommands(verbs);
  AddCreateCommand(verbs);
  AddExportCommand(verbs);
  AddApplyCommand(verbs);
  AddCheckCommand(verbs);
  AddHistoryCommand(verbs);
  AddUndoCommand(verbs);
  return verbs;
}

int Main(const std::vector<std::string>& args) {
  const std::vector<Verb> verbs = AllVerbs();
  ProgramSyntax program{"kestrun-cli", Text(IDS_PROGRAM_HELP),
                        "kestrun-cli " KESTRUN_VERSION, {}};
  for (const Verb& verb : verbs) program.verbs.push_back(verb.syntax);
  const ParsedLine line = ParseCommandLine(program, args);
  if (line.outcome == ParseOutcome::Help) WriteOutput(line.text);
  if (line.outcome == ParseOutcome::Error) WriteError(line.text);
  if (line.outcome != ParseOutcome::Run) return line.outcome == ParseOutcome::Help ? kExitOk : kExitUsage;
  CliSession session;
  try {
    return verbs[line.verb].run(session, line.arguments);
  } catch (const std::exception& error) {
    // The registry's errors ("Failed to set data for '...'") and anything else that ends a verb.
    session.report.Fail(AsClause(error.what()));
    return kExitFailed;
  }
}

}  // namespace
}  // namespace kestrun::cli

// The arguments from the wide command line as WTF-8: a name the code page cannot hold arrives exactly.
int main(int argc, char** argv) {
  const kestrun::ThreadScope scope;  // what this thread keeps for the links it reads
  std::vector<std::string> args;
  int count = 0;
  if (LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count)) {
    for (int i = 1; i < count; ++i) args.push_back(kestrun::FromWide(wide[i]));
    LocalFree(wide);
  } else {
    args.assign(argv + (argc > 0), argv + argc);
  }
  return kestrun::cli::Main(args);
}
