#include "tests/store/FaultyPlatform.h"

#include <algorithm>

namespace kestrun::test {
namespace {

bool Matches(const std::string& subject, const std::string& match) {
  return match.empty() || subject.find(match) != std::string::npos;
}

}  // namespace

FaultyPlatform& FaultyPlatform::Fail(Op op, ErrorCode code, std::string match, int nth) {
  faults_.push_back({op, code, std::move(match), nth});
  return *this;
}

int FaultyPlatform::Calls(Op op, const std::string& match) const {
  return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const auto& call) {
    return call.first == op && Matches(call.second, match);
  }));
}

ErrorCode FaultyPlatform::Enter(Op op, const std::string& subject) {
  log_.push_back({op, subject});
  ErrorCode code = ERROR_SUCCESS;
  for (Fault& fault : faults_) {
    if (fault.op != op || !Matches(subject, fault.match)) continue;
    ++fault.seen;
    if (code == ERROR_SUCCESS && (fault.nth == 0 || fault.seen == fault.nth)) code = fault.code;
  }
  // The store reads codes from results, but a caller that asks the system must see the same one.
  if (code != ERROR_SUCCESS) SetLastError(code);
  return code;
}

}  // namespace kestrun::test
