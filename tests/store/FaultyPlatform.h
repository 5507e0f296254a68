#pragma once
// An IPlatform over the real one that fails chosen calls on demand and counts every call, so a test
// can break one step of an operation on a real registry and real folders.
//   FaultyPlatform faulty;
//   faulty.Fail(Op::SetValue, ERROR_ACCESS_DENIED, "Run-");   // every write into a Run- key
//   faulty.Fail(Op::FileCopy, ERROR_DISK_FULL, "", 2);         // only the second copy
//   EXPECT_EQ(faulty.Calls(Op::FileDelete), 0);
// A call's subject, for matching and the log, is what it is about:
//   registry: "HKCU\<key path>" (OpenKey, EnumValues), "HKCU\<key path>\<value name>" (value calls);
//   files: the path ("<source> -> <target>" for FileCopy); shell: the file or link; errors: the code.
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun::test {

enum class Op {
  OpenKey,
  EnumValues,
  QueryValue,
  SetValue,
  DeleteValue,
  ListFolder,
  FileExists,
  CreateFolder,
  SetAttributes,
  FileCopy,
  FileDelete,
  ShellOpen,
  WriteShellLink,
  SystemErrorText,
};

struct PlatformCall {
  Op op;
  std::string subject;
  bool failed;
};

class FaultyPlatform : public IPlatform {
 public:
  explicit FaultyPlatform(IPlatform& inner = SystemPlatform()) : inner_(inner) {}

  // Calls of op whose subject contains match (every call when empty) fail with code instead of
  // reaching the real platform; nth > 0 fails only the nth such call (counted from 1, from now on).
  // FileExists fails as "not found"; WriteShellLink returns code as an HRESULT.
  FaultyPlatform& Fail(Op op, ErrorCode code, std::string match = {}, int nth = 0);
  // Runs before every matching call of op reaches the real platform (or fails): a test can change the
  // machine between two steps of an operation, as another program would.
  FaultyPlatform& Before(Op op, std::function<void(const std::string& subject)> hook,
                         std::string match = {});
  // Forgets every fault and hook; the call log stays.
  void Heal();
  void ClearLog() { log_.clear(); }

  [[nodiscard]] int Calls(Op op, const std::string& match = {}) const;
  [[nodiscard]] int Failures(Op op) const;
  [[nodiscard]] const std::vector<PlatformCall>& Log() const { return log_; }

  ErrorCode OpenKey(HKEY root, const std::string& path, bool create, UniqueKey& key) override;
  ErrorCode EnumValues(HKEY key, std::vector<RegValue>& values) override;
  ErrorCode QueryValue(HKEY key, const std::string& name, RegValue& value) override;
  ErrorCode SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) override;
  ErrorCode DeleteValue(HKEY key, const std::string& name) override;

  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override;
  bool FileExists(const std::string& name) override;
  ErrorCode CreateFolder(const std::string& path) override;
  ErrorCode SetAttributes(const std::string& path, DWORD attributes) override;
  ErrorCode FileCopy(const std::string& source, const std::string& target) override;
  ErrorCode FileDelete(const std::string& path) override;

  ErrorCode ShellOpen(HWND owner, const std::string& file, const std::string& parameters,
                      int show) override;
  HRESULT WriteShellLink(const std::string& target, const std::string& link,
                         const std::string& description, const std::string& workingDir) override;

  std::string SystemErrorText(ErrorCode code) override;

 private:
  struct Fault {
    Op op;
    ErrorCode code;
    std::string match;
    int nth;       // 0: every matching call
    int seen = 0;  // matching calls since the fault was set
  };
  struct Hook {
    Op op;
    std::function<void(const std::string&)> run;
    std::string match;
  };

  // Logs the call, runs its hooks, and returns the code it must fail with (ERROR_SUCCESS: go on).
  ErrorCode Enter(Op op, const std::string& subject);
  std::string KeySubject(HKEY key) const;
  std::string ValueSubject(HKEY key, const std::string& name) const;

  IPlatform& inner_;  // not owned
  std::vector<Fault> faults_;
  std::vector<Hook> hooks_;
  std::vector<PlatformCall> log_;
  std::map<HKEY, std::string> keyPaths_;  // open keys by handle, for subjects
};

}  // namespace kestrun::test
