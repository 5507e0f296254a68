#pragma once
// An IErrorReport that remembers every report instead of showing it.
#include <string>
#include <vector>

#include "store/ErrorReport.h"

namespace kestrun::test {

struct ReportedError {
  ErrorCode code;
  std::string subject;
  bool operator==(const ReportedError&) const = default;
};

class RecordingReport : public IErrorReport {
 public:
  void ShowSystemError(ErrorCode code, const std::string& subject) override {
    reports.push_back({code, subject});
  }
  std::vector<ReportedError> reports;
};

}  // namespace kestrun::test
