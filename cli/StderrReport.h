#pragma once
// Failures as lines on stderr: "kestrun-cli: <what>: <why>", warnings as "kestrun-cli: warning: ...".
#include <set>
#include <string>

#include "store/ErrorReport.h"
#include "store/platform/Platform.h"

namespace kestrun::cli {

class StderrReport : public IErrorReport {
 public:
  // The platform names the system's error codes.
  explicit StderrReport(IPlatform& platform) : platform_(platform) {}
  // Warnings (a change that cannot be undone, a journal not read) are said but not counted.
  void Report(const Failure& failure) override;
  // A failure the tool finds itself, in the same form.
  void Fail(const std::string& message);
  // A call on subject failed with code.
  void FailCall(const std::string& subject, ErrorCode code);
  [[nodiscard]] int Count() const { return count_; }
  [[nodiscard]] const std::string& Last() const { return last_; }
  // Counts on, but writes nothing: for verbs whose callers read stderr as a failure.
  void Silence() { silent_ = true; }

 private:
  IPlatform& platform_;
  int count_ = 0;
  std::string last_;
  std::set<std::string> warned_;
  bool silent_ = false;
};

}  // namespace kestrun::cli
