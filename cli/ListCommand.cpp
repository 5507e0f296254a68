// kestrun-cli list [--json | --jsonl]: every entry, in the order the window shows them.
#include <memory>
#include <optional>

#include "cli/Commands.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

struct ListOptions {
  bool json = false;
  bool jsonLines = false;
  bool verify = false;
};

int RunList(CliSession& session, const ListOptions& options) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  TargetResolver resolver(session.platform);
  std::optional<PublisherCache> publishers;
  if (options.verify) publishers.emplace(session.platform);
  std::vector<EntryFacts> facts;
  for (const StartupRow& row : rows)
    facts.push_back(FactsOf(resolver, publishers ? &*publishers : nullptr, row));
  const bool json = options.json || options.jsonLines;
  WriteOutput(json ? FormatJson(rows, facts, options.jsonLines) : FormatTable(rows, &facts));
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddListCommand(CLI::App& app, Verb& verb) {
  auto options = std::make_shared<ListOptions>();
  CLI::App* list = app.add_subcommand("list", "List every startup entry with its state, location, name and path");
  CLI::Option* json = list->add_flag("--json", options->json, "Print a JSON array instead of a table");
  list->add_flag("--jsonl", options->jsonLines, "Print one JSON object a line instead of a table")->excludes(json);
  list->add_flag("--verify", options->verify,
                 "Read each program's company and check its signature (JSON: company, signature, signer)");
  list->callback([options, &verb] {
    verb = [options](CliSession& session) { return RunList(session, *options); };
  });
}

}  // namespace kestrun::cli
