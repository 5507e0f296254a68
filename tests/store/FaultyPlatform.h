#pragma once
// The real platform, but failing chosen calls on demand and logging them, so a test can break one
// step of an operation on a real registry and real folders. A call's subject, for matching, is
// "read HKCU\<path>" or "write HKLM\<path>" for OpenKey (access, hive, "32:" before the path in the
// 32-bit view; a create is a write), the value name for value calls, nothing for EnumValues,
// the path for files (ReadFileData and ReadSmallFile included; the key's path for DeleteKey; "<source> -> <target>"
// for FileCopy and FileMove), the link for CreateLink, "<file> <parameters> in <folder>" for ShellOpen and ShellOpenAsUser.
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "store/platform/Win32Platform.h"

namespace kestrun::test {

enum class Op {
  OpenKey, EnumValues, QueryValue, SetValue, DeleteValue,
  ListFolder, CreateFolder, FileCopy, FileDelete, CreateLink, ShellOpen, ShellOpenAsUser, FileMove, AppendFile,
  CreateSecuredFolder, ReadFileData, ReadSmallFile, DeleteKey,
};

class FaultyPlatform : public Win32Platform {
 public:
  // The calls tests break or count; the rest go straight to the real platform.
  // Calls of op whose subject contains match (every call when empty) fail with code instead of
  // reaching the real platform; nth > 0 fails only the nth such call from now on (counted from 1).
  // CreateLink returns code as an HRESULT.
  FaultyPlatform& Fail(Op op, ErrorCode code, std::string match = {}, int nth = 0);
  void Heal() { faults_.clear(); }  // the log stays
  void ClearLog() { log_.clear(); }
  [[nodiscard]] int Calls(Op op, const std::string& match = {}) const;
  [[nodiscard]] bool NoCalls() const { return log_.empty(); }

  ErrorCode OpenKey(HKEY root, RegistryView view, const std::string& path, bool create, KeyAccess access,
                    UniqueKey& key) override {
    const bool write = create || access == KeyAccess::Write;
    const std::string subject = std::string(write ? "write " : "read ") +
                                (root == HKEY_LOCAL_MACHINE ? "HKLM\\" : "HKCU\\") +
                                (view == RegistryView::Bits32 ? "32:" : "") + path;
    return Pass(Op::OpenKey, subject,
                [&] { return Win32Platform::OpenKey(root, view, path, create, access, key); });
  }
  ErrorCode EnumValues(HKEY key, std::vector<RegValue>& values) override {
    values.clear();  // as the real one does, so that no earlier key's values show through a failure
    return Pass(Op::EnumValues, "", [&] { return Win32Platform::EnumValues(key, values); });
  }
  ErrorCode QueryValue(HKEY key, const std::string& name, RegValue& value) override {
    return Pass(Op::QueryValue, name, [&] { return Win32Platform::QueryValue(key, name, value); });
  }
  ErrorCode SetValue(HKEY key, const std::string& name, DWORD type, const std::string& data) override {
    return Pass(Op::SetValue, name, [&] { return Win32Platform::SetValue(key, name, type, data); });
  }
  ErrorCode DeleteValue(HKEY key, const std::string& name) override {
    return Pass(Op::DeleteValue, name, [&] { return Win32Platform::DeleteValue(key, name); });
  }
  ErrorCode ListFolder(const std::string& folder, std::vector<FolderEntry>& entries) override {
    entries.clear();
    return Pass(Op::ListFolder, folder, [&] { return Win32Platform::ListFolder(folder, entries); });
  }
  ErrorCode CreateFolder(const std::string& path) override {
    return Pass(Op::CreateFolder, path, [&] { return Win32Platform::CreateFolder(path); });
  }
  // Subject: "<path> <sddl>".
  ErrorCode CreateSecuredFolder(const std::string& path, const std::string& sddl) override {
    return Pass(Op::CreateSecuredFolder, path + " " + sddl, [&] { return Win32Platform::CreateSecuredFolder(path, sddl); });
  }
  // Wine keeps no descriptor: a test that sets one has every folder read back with it, as Windows would.
  std::optional<std::string> folderSecurity;
  bool KeepsFileSecurity() override { return folderSecurity.has_value(); }
  ErrorCode FolderSecurity(const std::string& path, std::string& sddl) override {
    if (!folderSecurity) return Win32Platform::FolderSecurity(path, sddl);
    sddl = *folderSecurity;
    return ERROR_SUCCESS;
  }
  ErrorCode FileCopy(const std::string& source, const std::string& target) override {
    const std::string subject = source + " -> " + target;
    return Pass(Op::FileCopy, subject, [&] { return Win32Platform::FileCopy(source, target); });
  }
  ErrorCode ReadFileData(const std::string& path, std::string& data) override {
    return Pass(Op::ReadFileData, path, [&] { return Win32Platform::ReadFileData(path, data); });
  }
  ErrorCode ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) override {
    return Pass(Op::ReadSmallFile, path, [&] { return Win32Platform::ReadSmallFile(path, limit, data); });
  }
  ErrorCode DeleteKey(HKEY root, RegistryView view, const std::string& path) override {
    return Pass(Op::DeleteKey, path, [&] { return Win32Platform::DeleteKey(root, view, path); });
  }
  // The shell's answers where Wine has none (it resolves no package's resources): by source.
  std::map<std::string, std::string> indirectStrings;
  HRESULT LoadIndirectString(const std::string& source, std::string& text) override {
    const auto known = indirectStrings.find(source);
    if (known == indirectStrings.end()) return Win32Platform::LoadIndirectString(source, text);
    text = known->second;
    return S_OK;
  }
  // The Task Scheduler, as a test plays it where set (Wine's takes a switch and keeps nothing).
  std::function<HRESULT(const std::string&, bool&)> taskEnabled;
  std::function<HRESULT(const std::string&, bool)> enableTask;
  std::function<HRESULT(std::vector<TaskDocument>&)> listTasks;
  HRESULT ScheduledTaskEnabled(const std::string& path, bool& enabled) override {
    return taskEnabled ? taskEnabled(path, enabled) : Win32Platform::ScheduledTaskEnabled(path, enabled);
  }
  HRESULT EnableScheduledTask(const std::string& path, bool enabled) override {
    return enableTask ? enableTask(path, enabled) : Win32Platform::EnableScheduledTask(path, enabled);
  }
  HRESULT ListScheduledTasks(std::vector<TaskDocument>& tasks) override {
    return listTasks ? listTasks(tasks) : Win32Platform::ListScheduledTasks(tasks);
  }
  ErrorCode FileDelete(const std::string& path) override {
    return Pass(Op::FileDelete, path, [&] { return Win32Platform::FileDelete(path); });
  }
  ErrorCode FileMove(const std::string& source, const std::string& target) override {
    const std::string subject = source + " -> " + target;
    return Pass(Op::FileMove, subject, [&] { return Win32Platform::FileMove(source, target); });
  }
  ErrorCode AppendFile(const std::string& path, const std::string& bytes) override {
    return Pass(Op::AppendFile, path, [&] { return Win32Platform::AppendFile(path, bytes); });
  }
  ErrorCode ShellOpen(HWND owner, const std::string& file, const std::string& parameters, const std::string& folder,
                      int show) override {
    return Pass(Op::ShellOpen, file + " " + parameters + " in " + folder,
                [&] { return Win32Platform::ShellOpen(owner, file, parameters, folder, show); });
  }
  // Not elevated unless a test says so: a Wine process may well be.
  bool elevated = false;
  bool IsElevated() override { return elevated; }
  ErrorCode ShellOpenAsUser(const std::string& file, const std::string& parameters, const std::string& folder,
                            int show) override {
    return Pass(Op::ShellOpenAsUser, file + " " + parameters + " in " + folder,
                [&] { return Win32Platform::ShellOpenAsUser(file, parameters, folder, show); });
  }
  // Where the program lies, when a test says so.
  std::optional<std::string> programFolder;
  std::string ProgramFolder() override { return programFolder ? *programFolder : Win32Platform::ProgramFolder(); }
  HRESULT CreateLink(const std::string& target, const std::string& link, const std::string& description,
                         const std::string& workingDir) override {
    if (const ErrorCode rc = Enter(Op::CreateLink, link))
      return static_cast<HRESULT>(rc) < 0 ? static_cast<HRESULT>(rc) : HRESULT_FROM_WIN32(rc);
    return Win32Platform::CreateLink(target, link, description, workingDir);
  }

 private:
  struct Fault {
    Op op;
    ErrorCode code;
    std::string match;
    int nth;       // 0: every matching call
    int seen = 0;  // matching calls since the fault was set
  };

  // Logs the call and returns the code it must fail with (ERROR_SUCCESS: go on to the real one).
  ErrorCode Enter(Op op, const std::string& subject);
  template <typename Real>
  ErrorCode Pass(Op op, const std::string& subject, Real real) {
    const ErrorCode rc = Enter(op, subject);
    return rc != ERROR_SUCCESS ? rc : real();
  }

  std::vector<Fault> faults_;
  std::vector<std::pair<Op, std::string>> log_;  // every call with its subject
};

}  // namespace kestrun::test
