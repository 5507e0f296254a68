#include "cli/StderrReport.h"

#include "cli/Output.h"

namespace kestrun::cli {

void StderrReport::ShowSystemError(ErrorCode code, const std::string& subject) {
  Fail(subject + ": " + platform_.SystemErrorText(code));
}

void StderrReport::ShowFailure(const std::string& text) { Fail(AsClause(text)); }

void StderrReport::ShowJournalWarning(ErrorCode, const std::string& folder, const std::string& why) {
  if (silent_) return;
  WriteError("kestrun-cli: warning: " + JournalWarningSentence(folder) + ": " + why + "\n");
}

void StderrReport::ShowRemoveRefused(ErrorCode, const std::string& name, const std::string& folder,
                                     const std::string& why) {
  Fail(RemoveRefusedSentence(name, folder) + ": " + why);
}

void StderrReport::Fail(const std::string& message) {
  ++count_;
  last_ = message;
  if (!silent_) WriteError("kestrun-cli: " + message + "\n");
}

}  // namespace kestrun::cli
