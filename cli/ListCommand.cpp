// kestrun-cli list [--json | --jsonl]: every entry, in the order the window shows them.
#include <optional>

#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

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

void AddListCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"list", Text(IDS_LIST_VERB),
                    {{"--json", "", Text(IDS_JSON_OPTION)},
                     {"--jsonl", "", Text(IDS_JSONL_OPTION)},
                     {"--verify", "", Text(IDS_VERIFY_OPTION)}},
                    {"--json", "--jsonl"}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunList(session, {given.Has("--json"), given.Has("--jsonl"), given.Has("--verify")});
                   }});
}

}  // namespace kestrun::cli
