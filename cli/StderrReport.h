#pragma once
// Failures of the store as lines on stderr: "kestrun-cli: <subject>: <system text>".
#include <string>

#include "store/ErrorReport.h"
#include "store/platform/Platform.h"

namespace kestrun::cli {

class StderrReport : public IErrorReport {
 public:
  // The platform names the system's error codes.
  explicit StderrReport(IPlatform& platform) : platform_(platform) {}
  void ShowSystemError(ErrorCode code, const std::string& subject) override;
  // The store's sentences, shared with the window, worded as the tool's other messages.
  void ShowFailure(const std::string& text) override;
  // Said on stderr as a warning; not counted as a failure.
  void ShowJournalWarning(ErrorCode code, const std::string& folder, const std::string& why) override;
  void ShowRemoveRefused(ErrorCode code, const std::string& name, const std::string& folder,
                         const std::string& why) override;
  // A failure the tool finds itself, in the same form.
  void Fail(const std::string& message);
  [[nodiscard]] int Count() const { return count_; }
  [[nodiscard]] const std::string& Last() const { return last_; }
  // Counts on, but writes nothing: for verbs whose callers read stderr as a failure.
  void Silence() { silent_ = true; }

 private:
  IPlatform& platform_;
  int count_ = 0;
  std::string last_;
  bool silent_ = false;
};

}  // namespace kestrun::cli
