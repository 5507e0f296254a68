// Each failure worded once for the console: one line, the tool's name first.
#include "cli/StderrReport.h"

#include "cli/Output.h"

namespace kestrun::cli {

void StderrReport::Report(const Failure& failure) {
  if (failure.kind != Failure::Kind::Unjournalled && failure.kind != Failure::Kind::Warning)
    return Fail(FailureLine(failure));
  if (!silent_) WriteError("kestrun-cli: warning: " + FailureLine(failure) + "\n");
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
