// kestrun-cli export [FILE]: every entry as {name, location, state}, the file apply and check read.
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
    if (rc != ERROR_SUCCESS) {
      session.report.FailCall(file, rc);
    } else {
      // On stderr: a script that reads standard output expects nothing there but the entries.
      const std::string count = std::to_string(rows.size()) + (rows.size() == 1 ? " entry" : " entries");
      const std::string written = session.platform.FullPathOf(file);
      WriteError("kestrun-cli: exported " + count + " to " + (written.empty() ? file : written) + "\n");
    }
  }
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddExportCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"export", "Write every entry's name, location and state as JSON",
                    {{"FILE", "", "Where to write it (default: standard output)"}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunExport(session, given.Value("FILE"));
                   }});
}

}  // namespace kestrun::cli
