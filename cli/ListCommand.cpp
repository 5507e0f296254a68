// kestrun-cli list [--json | --jsonl]: every entry, in the order the window shows them.
#include <memory>

#include "cli/Commands.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

struct ListOptions {
  bool json = false;
  bool jsonLines = false;
};

int RunList(CliSession& session, const ListOptions& options) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  if (!options.json && !options.jsonLines) {
    WriteOutput(FormatTable(rows));
    return session.report.Count() ? kExitFailed : kExitOk;
  }
  std::vector<EntryFacts> facts;
  for (const StartupRow& row : rows) facts.push_back(FactsOf(session.platform, row));
  WriteOutput(FormatJson(rows, facts, options.jsonLines));
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddListCommand(CLI::App& app, Action& action) {
  auto options = std::make_shared<ListOptions>();
  CLI::App* list = app.add_subcommand("list", "List every startup entry with its state, location, name and path");
  list->add_flag("--json", options->json, "Print a JSON array instead of a table");
  list->add_flag("--jsonl", options->jsonLines, "Print one JSON object a line instead of a table");
  list->callback([options, &action] {
    action = [options](CliSession& session) { return RunList(session, *options); };
  });
}

}  // namespace kestrun::cli
