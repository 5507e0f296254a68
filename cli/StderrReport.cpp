// Each failure worded once for the console: one line, the tool's name first.
#include "cli/StderrReport.h"

#include "base/Texts.h"
#include "cli/Output.h"
#include "cli/TextIds.h"

namespace kestrun::cli {

void StderrReport::Report(const Failure& failure) {
  // The store's sentences, shared with the window, worded as the tool's other messages.
  const std::string line = AsClause(FailureLine(failure));
  if (failure.kind != Failure::Kind::Unjournalled && failure.kind != Failure::Kind::Warning) return Fail(line);
  // A verb that reads the list again after its change meets the same unreadable place twice.
  if (failure.kind == Failure::Kind::Warning && !warned_.insert(line).second) return;
  if (!silent_) WriteError("kestrun-cli: " + Text(IDS_WARNING, {line}) + "\n");
}

void StderrReport::FailCall(const std::string& subject, ErrorCode code) {
  Fail(subject + ": " + platform_.SystemErrorText(code));
}

void StderrReport::Fail(const std::string& message) {
  ++count_;
  last_ = message;
  if (!silent_) WriteError("kestrun-cli: " + message + "\n");
}

}  // namespace kestrun::cli
