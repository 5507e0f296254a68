#include "tests/store/FaultyPlatform.h"

#include <algorithm>

namespace kestrun::test {
namespace {

std::string HiveName(HKEY root) {
  if (root == HKEY_CURRENT_USER) return "HKCU";
  if (root == HKEY_LOCAL_MACHINE) return "HKLM";
  return "HKEY";
}

bool Matches(const std::string& subject, const std::string& match) {
  return match.empty() || subject.find(match) != std::string::npos;
}

}  // namespace

FaultyPlatform& FaultyPlatform::Fail(Op op, ErrorCode code, std::string match, int nth) {
  faults_.push_back({op, code, std::move(match), nth});
  return *this;
}

FaultyPlatform& FaultyPlatform::Before(Op op, std::function<void(const std::string&)> hook,
                                       std::string match) {
  hooks_.push_back({op, std::move(hook), std::move(match)});
  return *this;
}

void FaultyPlatform::Heal() {
  faults_.clear();
  hooks_.clear();
}

int FaultyPlatform::Calls(Op op, const std::string& match) const {
  return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const PlatformCall& call) {
    return call.op == op && Matches(call.subject, match);
  }));
}

int FaultyPlatform::Failures(Op op) const {
  return static_cast<int>(std::count_if(log_.begin(), log_.end(), [&](const PlatformCall& call) {
    return call.op == op && call.failed;
  }));
}

ErrorCode FaultyPlatform::Enter(Op op, const std::string& subject) {
  for (const Hook& hook : hooks_)
    if (hook.op == op && Matches(subject, hook.match)) hook.run(subject);
  ErrorCode code = ERROR_SUCCESS;
  for (Fault& fault : faults_) {
    if (fault.op != op || !Matches(subject, fault.match)) continue;
    ++fault.seen;
    if (code == ERROR_SUCCESS && (fault.nth == 0 || fault.seen == fault.nth)) code = fault.code;
  }
  log_.push_back({op, subject, code != ERROR_SUCCESS});
  // The store reads codes from results, but a caller that asks the system must see the same one.
  if (code != ERROR_SUCCESS) SetLastError(code);
  return code;
}

std::string FaultyPlatform::KeySubject(HKEY key) const {
  const auto found = keyPaths_.find(key);
  return found == keyPaths_.end() ? "?" : found->second;
}

std::string FaultyPlatform::ValueSubject(HKEY key, const std::string& name) const {
  return KeySubject(key) + "\\" + name;
}

ErrorCode FaultyPlatform::OpenKey(HKEY root, const std::string& path, bool create, UniqueKey& key) {
  const std::string subject = HiveName(root) + "\\" + path;
  if (const ErrorCode rc = Enter(Op::OpenKey, subject)) return rc;
  const ErrorCode rc = inner_.OpenKey(root, path, create, key);
  if (rc == ERROR_SUCCESS) keyPaths_[key.Get()] = subject;
  return rc;
}

ErrorCode FaultyPlatform::EnumValues(HKEY key, std::vector<RegValue>& values) {
  if (const ErrorCode rc = Enter(Op::EnumValues, KeySubject(key))) {
    values.clear();
    return rc;
  }
  return inner_.EnumValues(key, values);
}

ErrorCode FaultyPlatform::QueryValue(HKEY key, const std::string& name, RegValue& value) {
  if (const ErrorCode rc = Enter(Op::QueryValue, ValueSubject(key, name))) {
    value = RegValue{};
    value.name = name;
    return rc;
  }
  return inner_.QueryValue(key, name, value);
}

ErrorCode FaultyPlatform::SetValue(HKEY key, const std::string& name, DWORD type,
                                   const std::string& data) {
  if (const ErrorCode rc = Enter(Op::SetValue, ValueSubject(key, name))) return rc;
  return inner_.SetValue(key, name, type, data);
}

ErrorCode FaultyPlatform::DeleteValue(HKEY key, const std::string& name) {
  if (const ErrorCode rc = Enter(Op::DeleteValue, ValueSubject(key, name))) return rc;
  return inner_.DeleteValue(key, name);
}

ErrorCode FaultyPlatform::ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) {
  if (const ErrorCode rc = Enter(Op::ListFolder, folder)) {
    entries.clear();
    return rc;
  }
  return inner_.ListFolder(folder, entries);
}

bool FaultyPlatform::FileExists(const std::string& name) {
  if (Enter(Op::FileExists, name) != ERROR_SUCCESS) return false;
  return inner_.FileExists(name);
}

ErrorCode FaultyPlatform::CreateFolder(const std::string& path) {
  if (const ErrorCode rc = Enter(Op::CreateFolder, path)) return rc;
  return inner_.CreateFolder(path);
}

ErrorCode FaultyPlatform::SetAttributes(const std::string& path, DWORD attributes) {
  if (const ErrorCode rc = Enter(Op::SetAttributes, path)) return rc;
  return inner_.SetAttributes(path, attributes);
}

ErrorCode FaultyPlatform::FileCopy(const std::string& source, const std::string& target) {
  if (const ErrorCode rc = Enter(Op::FileCopy, source + " -> " + target)) return rc;
  return inner_.FileCopy(source, target);
}

ErrorCode FaultyPlatform::FileDelete(const std::string& path) {
  if (const ErrorCode rc = Enter(Op::FileDelete, path)) return rc;
  return inner_.FileDelete(path);
}

ErrorCode FaultyPlatform::ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                                    int show) {
  if (const ErrorCode rc = Enter(Op::ShellOpen, file)) return rc;
  return inner_.ShellOpen(owner, file, parameters, show);
}

HRESULT FaultyPlatform::WriteShellLink(const std::string& target, const std::string& link,
                                       const std::string& description, const std::string& workingDir) {
  if (const ErrorCode rc = Enter(Op::WriteShellLink, link))
    return static_cast<HRESULT>(rc) < 0 ? static_cast<HRESULT>(rc) : HRESULT_FROM_WIN32(rc);
  return inner_.WriteShellLink(target, link, description, workingDir);
}

std::string FaultyPlatform::SystemErrorText(ErrorCode code) {
  Enter(Op::SystemErrorText, std::to_string(code));
  return inner_.SystemErrorText(code);
}

}  // namespace kestrun::test
