// kestrun-cli export [FILE]: every entry as {name, location, state}, the file apply and check read.
#include <memory>

#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"

namespace kestrun::cli {
namespace {

int RunExport(CliSession& session, const std::string& file) {
  StartupRows rows;
  session.store.LoadStartupList(rows);
  const std::string text = FormatDesiredState(rows);
  if (file.empty()) {
    WriteOutput(text);
  } else {
    // A fresh file, not an append to an old one.
    const ErrorCode gone = session.platform.FileDelete(file);
    ErrorCode rc = gone == ERROR_SUCCESS || gone == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : gone;
    if (rc == ERROR_SUCCESS) rc = session.platform.AppendFile(file, text);
    if (rc != ERROR_SUCCESS) session.report.FailCall(file, rc);
  }
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddExportCommand(CLI::App& app, Verb& verb) {
  auto file = std::make_shared<std::string>();
  CLI::App* command = app.add_subcommand("export", "Write every entry's name, location and state as JSON");
  command->add_option("file", *file, "Where to write it (default: standard output)");
  command->callback([file, &verb] {
    verb = [file](CliSession& session) { return RunExport(session, *file); };
  });
}

}  // namespace kestrun::cli
