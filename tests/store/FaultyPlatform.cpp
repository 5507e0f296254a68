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

std::string FaultyPlatform::PathOf(HANDLE file) const {
  const auto known = paths_.find(file);
  return known == paths_.end() ? std::string() : known->second;
}

ErrorCode FaultyPlatform::OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                                 const std::string& sddl) {
  const std::string path = folder == INVALID_HANDLE_VALUE ? name : PathOf(folder) + "\\" + name;
  const bool makes = how == FileOpen::MakeFolder || how == FileOpen::MakeHidden;
  const Op op = makes ? (sddl.empty() ? Op::CreateFolder : Op::CreateSecuredFolder)
                      : how == FileOpen::Create ? Op::FileCreate : Op::OpenAt;
  const ErrorCode rc = Pass(op, sddl.empty() ? path : path + " " + sddl,
                            [&] { return Win32Platform::OpenAt(folder, name, how, file, sddl); });
  if (rc == ERROR_SUCCESS) paths_[file.Get()] = path;
  return rc;
}

ErrorCode FaultyPlatform::RenameAt(HANDLE file, HANDLE folder, const std::string& name, bool replace) {
  const std::string path = PathOf(folder) + "\\" + name;
  const ErrorCode rc = Pass(Op::FileMove, PathOf(file) + " -> " + path,
                            [&] { return Win32Platform::RenameAt(file, folder, name, replace); });
  if (rc == ERROR_SUCCESS) paths_[file] = path;
  return rc;
}

ErrorCode FaultyPlatform::Enter(Op op, const std::string& subject) {
  if (dead_) throw Killed{};  // a process that died makes no more calls
  if (++counted_ == stopAt_) {
    if (stopCode_ == ERROR_SUCCESS) {
      dead_ = true;
      throw Killed{};
    }
    SetLastError(stopCode_);
    return stopCode_;
  }
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
