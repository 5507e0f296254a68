// kestrun-cli export [FILE]: every entry as {name, location, state}, the file apply and check read.
#include "base/Texts.h"
#include "cli/Commands.h"
#include "cli/DesiredState.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

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
      const std::string written = session.platform.FullPathOf(file);
      WriteError("kestrun-cli: " + Text(IDS_EXPORTED, {EntryCount(rows.size()), written.empty() ? file : written}) +
                 "\n");
    }
  }
  return session.report.Count() ? kExitFailed : kExitOk;
}

}  // namespace

void AddExportCommand(std::vector<Verb>& verbs) {
  VerbSyntax syntax{"export", Text(IDS_EXPORT_VERB), {{"FILE", "", Text(IDS_EXPORT_FILE_OPERAND)}}};
  verbs.push_back({syntax, [](CliSession& session, const Arguments& given) {
                     return RunExport(session, given.Value("FILE"));
                   }});
}

}  // namespace kestrun::cli
