#pragma once
// The real platform, but failing chosen calls on demand and logging them, so a test can break one
// step of an operation on a real registry and real folders, or stop the process there ("kill": the
// call throws Killed, and so does every later one, as if the process had died). A call's subject,
// for matching, is "read HKCU\<path>" or "write HKLM\<path>" for OpenKey (access, hive, "32:" before
// the path in the 32-bit view; a create is a write), the value name for value calls, nothing for
// EnumValues, the path for files (ReadSmallFile's included), also when reached through a handle
// ("<path> <sddl>" for a folder made with one, "<path> -> <new path>" for a rename), the key's path for
// DeleteKey, the link for CreateLink, "<file> <parameters> in <folder>" for ShellOpen and ShellOpenAsUser.
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
  ListFolder, CreateLink, LinkBytes, ShellOpen, ShellOpenAsUser,
  // OpenAt by what it opens: a folder made (with a descriptor: secured), a new file, anything else.
  CreateFolder, CreateSecuredFolder, FileCreate, OpenAt,
  FileFacts, FileRead, FileWrite, SetFileFacts, FileMove, FileDelete, FileLock, Security, ReadSmallFile, DeleteKey,
};

// What a killed call throws; the test catches it where the process would have ended.
struct Killed {};

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
  // Every call since the log was cleared, with its subject.
  [[nodiscard]] const std::vector<std::pair<Op, std::string>>& Log() const { return log_; }
  // The nth call from now, of any kind, fails with code, or (code 0) kills the process; Revive()
  // forgets it and counts afresh.
  void StopAt(int nth, ErrorCode code = ERROR_SUCCESS) { stopAt_ = nth, stopCode_ = code, counted_ = 0, dead_ = false; }
  void Revive() { StopAt(0); }
  [[nodiscard]] int Counted() const { return counted_; }

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
  // Wine keeps no descriptor: a test that sets one has every folder read back with it, as Windows would.
  std::optional<std::string> folderSecurity;
  bool KeepsFileSecurity() override { return folderSecurity.has_value(); }
  ErrorCode ReadFileData(const std::string& path, std::string& data) override {
    return Pass(Op::FileRead, path, [&] { return Win32Platform::ReadFileData(path, data); });
  }
  ErrorCode ReadSmallFile(const std::string& path, std::uint64_t limit, std::string& data) override {
    return Pass(Op::ReadSmallFile, path, [&] { return Win32Platform::ReadSmallFile(path, limit, data); });
  }
  ErrorCode ReadSmallFileAt(HANDLE folder, const std::string& name, std::uint64_t limit, std::string& data) override {
    return Pass(Op::ReadSmallFile, PathOf(folder) + "\\" + name,
                [&] { return Win32Platform::ReadSmallFileAt(folder, name, limit, data); });
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
  ErrorCode AppendFile(const std::string& path, const std::string& bytes) override {
    return Pass(Op::FileWrite, path, [&] { return Win32Platform::AppendFile(path, bytes); });
  }
  ErrorCode OpenAt(HANDLE folder, const std::string& name, FileOpen how, UniqueFile& file,
                   const std::string& sddl = {}) override;
  ErrorCode FileFactsOf(HANDLE file, FileFacts& facts) override {
    return Pass(Op::FileFacts, PathOf(file), [&] { return Win32Platform::FileFactsOf(file, facts); });
  }
  ErrorCode ReadAt(HANDLE file, std::uint64_t offset, std::size_t count, std::string& data) override {
    return Pass(Op::FileRead, PathOf(file), [&] { return Win32Platform::ReadAt(file, offset, count, data); });
  }
  ErrorCode WriteAt(HANDLE file, std::uint64_t offset, const std::string& bytes) override {
    return Pass(Op::FileWrite, PathOf(file), [&] { return Win32Platform::WriteAt(file, offset, bytes); });
  }
  ErrorCode SetFileFacts(HANDLE file, DWORD attributes, std::uint64_t written) override {
    return Pass(Op::SetFileFacts, PathOf(file), [&] { return Win32Platform::SetFileFacts(file, attributes, written); });
  }
  ErrorCode RenameAt(HANDLE file, HANDLE folder, const std::string& name, bool replace) override;
  ErrorCode DeleteOpen(HANDLE file) override {
    return Pass(Op::FileDelete, PathOf(file), [&] { return Win32Platform::DeleteOpen(file); });
  }
  ErrorCode LockOpen(HANDLE file) override {
    return Pass(Op::FileLock, PathOf(file), [&] { return Win32Platform::LockOpen(file); });
  }
  ErrorCode SecurityOf(HANDLE folder, std::string& sddl) override {
    return Pass(Op::Security, PathOf(folder), [&]() -> ErrorCode {
      if (!folderSecurity) return Win32Platform::SecurityOf(folder, sddl);
      sddl = *folderSecurity;
      return ERROR_SUCCESS;
    });
  }
  HRESULT LinkBytes(const std::string& target, const std::string& description, const std::string& workingDir,
                    std::string& bytes) override {
    if (const ErrorCode rc = Enter(Op::LinkBytes, target))
      return static_cast<HRESULT>(rc) < 0 ? static_cast<HRESULT>(rc) : HRESULT_FROM_WIN32(rc);
    return Win32Platform::LinkBytes(target, description, workingDir, bytes);
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
  std::string PathOf(HANDLE file) const;
  template <typename Real>
  ErrorCode Pass(Op op, const std::string& subject, Real real) {
    const ErrorCode rc = Enter(op, subject);
    return rc != ERROR_SUCCESS ? rc : real();
  }

  std::vector<Fault> faults_;
  std::vector<std::pair<Op, std::string>> log_;  // every call with its subject
  std::map<HANDLE, std::string> paths_;          // what each handle OpenAt gave leads to
  int stopAt_ = 0;
  ErrorCode stopCode_ = ERROR_SUCCESS;
  int counted_ = 0;
  bool dead_ = false;
};

}  // namespace kestrun::test
