#pragma once
// Failures of the store as lines on stderr: "kestrun-cli: <subject>: <system text>".
#include <string>

#include "store/ErrorReport.h"

namespace kestrun::cli {

class StderrReport : public IErrorReport {
 public:
  void ShowSystemError(ErrorCode code, const std::string& subject) override;
  void ShowFailure(const std::string& text) override { Fail(text); }
  // A failure the tool finds itself, in the same form.
  void Fail(const std::string& message);
  [[nodiscard]] int Count() const { return count_; }

 private:
  int count_ = 0;
};

}  // namespace kestrun::cli
