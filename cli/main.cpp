// kestrun-cli: the startup entries of this machine on the console, through the same store as the
// window. Exit codes: 0 done, 1 the operation failed (check: the machine differs), 2 the command line
// was wrong, 3 check could not read the machine or its file.
#include <windows.h>
#include <shellapi.h>

#include <exception>
#include <sstream>
#include <vector>

#include "KestrunVersion.h"
#include "base/Text.h"
#include "cli/Commands.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

int ParseError(CLI::App& app, const CLI::ParseError& error) {
  std::ostringstream out, err;
  const int rc = app.exit(error, out, err);
  WriteOutput(out.str());
  WriteError(err.str());
  return rc == 0 ? kExitOk : kExitUsage;
}

// CLI11 takes an unknown verb for a stray argument and only says that a verb is missing.
bool UnknownVerb(CLI::App& app, int argc, char** argv) {
  if (argc < 2 || argv[1][0] == '-') return false;
  for (const CLI::App* command : app.get_subcommands([](const CLI::App*) { return true; }))
    if (command->get_name() == argv[1]) return false;
  WriteError("kestrun-cli: unknown command '" + std::string(argv[1]) +
             "': use list, disable, enable, remove, create, export, apply, check, history or undo\nRun 'kestrun-cli --help' for usage.\n");
  return true;
}

int Main(int argc, char** argv) {
  CLI::App app{"Lists and changes the programs Windows starts at log-on.", "kestrun-cli"};
  app.require_subcommand(1);
  // A file argument such as /tmp/state.json is a path (Windows takes "/" as a separator), never an
  // option; set before the verbs are added, which copy it.
  app.allow_windows_style_options(false);
  app.set_version_flag("--version", "kestrun-cli " KESTRUN_VERSION);
  app.failure_message([](const CLI::App*, const CLI::Error& error) {
    return "kestrun-cli: " + std::string(error.what()) + "\nRun 'kestrun-cli --help' for usage.\n";
  });
  Verb verb;
  AddListCommand(app, verb);
  AddChangeCommands(app, verb);
  AddCreateCommand(app, verb);
  AddExportCommand(app, verb);
  AddApplyCommand(app, verb);
  AddCheckCommand(app, verb);
  AddHistoryCommand(app, verb);
  AddUndoCommand(app, verb);
  if (UnknownVerb(app, argc, argv)) return kExitUsage;
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& error) {
    return ParseError(app, error);
  }
  CliSession session;
  try {
    return verb(session);
  } catch (const std::exception& error) {
    // The registry's errors ("Failed to set data for '...'") and anything else that ends a verb.
    session.report.Fail(error.what());
    return kExitFailed;
  }
}

}  // namespace
}  // namespace kestrun::cli

// The arguments from the wide command line as WTF-8: a name the code page cannot hold arrives exactly.
int main(int argc, char** argv) {
  int count = 0;
  LPWSTR* wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (!wide) return kestrun::cli::Main(argc, argv);
  std::vector<std::string> args;
  for (int i = 0; i < count; ++i) args.push_back(kestrun::FromWide(wide[i]));
  LocalFree(wide);
  std::vector<char*> pointers;
  for (std::string& arg : args) pointers.push_back(arg.data());
  pointers.push_back(nullptr);
  return kestrun::cli::Main(count, pointers.data());
}
