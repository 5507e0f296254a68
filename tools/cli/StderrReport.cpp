#include "tools/cli/StderrReport.h"

#include "tools/cli/Output.h"

namespace kestrun::cli {

void StderrReport::ShowSystemError(ErrorCode code, const std::string& subject) {
  Fail(subject + ": " + SystemPlatform().SystemErrorText(code));
}

void StderrReport::Fail(const std::string& message) {
  ++count_;
  WriteError("kestrun-cli: " + message + "\n");
}

}  // namespace kestrun::cli
