#include "cli/StderrReport.h"

#include "cli/Output.h"

namespace kestrun::cli {

void StderrReport::ShowSystemError(ErrorCode code, const std::string& subject) {
  Fail(subject + ": " + platform_.SystemErrorText(code));
}

void StderrReport::ShowJournalWarning(ErrorCode code, const std::string& folder) {
  if (silent_) return;
  WriteError("kestrun-cli: warning: the journal in " + folder + " could not be written: the change was made, but " +
             "cannot be undone: " + platform_.SystemErrorText(code) + "\n");
}

void StderrReport::Fail(const std::string& message) {
  ++count_;
  last_ = message;
  if (!silent_) WriteError("kestrun-cli: " + message + "\n");
}

}  // namespace kestrun::cli
