// kestrun-cli list [--json]: every entry, in the order the window shows them.
#include <memory>

#include "tools/cli/Commands.h"
#include "tools/cli/Output.h"

namespace kestrun::cli {
namespace {

struct ListOptions {
  bool json = false;
};

int RunList(CliSession& session, const ListOptions& options) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  WriteOutput(options.json ? FormatJson(rows) : FormatTable(rows));
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddListCommand(CLI::App& app, Action& action) {
  auto options = std::make_shared<ListOptions>();
  CLI::App* list = app.add_subcommand("list", "List every startup entry with its state, location, name and path");
  list->add_flag("--json", options->json, "Print a JSON array instead of a table");
  list->callback([options, &action] {
    action = [options](CliSession& session) { return RunList(session, *options); };
  });
}

}  // namespace kestrun::cli
