#pragma once
// Where a journal lies, made and checked before each use: the user's in %LOCALAPPDATA%, the machine's
// in %ProgramData%, in folders only administrators can write, walked level by level through the file
// layer so that no other account's folder and no link or junction is ever written through.
#include <mutex>
#include <optional>
#include <string>

#include "store/platform/SafeFiles.h"

namespace kestrun {

// What an undo running elevated may trust: a folder only Administrators and SYSTEM can write.
inline constexpr const char* kAdminOnlySddl = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The journal's folder was refused (Refusal() says why): not for administrators alone, or a link.
inline constexpr ErrorCode kFolderRefused = ERROR_INVALID_SECURITY_DESCR;

enum class JournalScope { User, Machine };

class JournalFolder {
 public:
  JournalFolder(IPlatform& platform, JournalScope scope);

  [[nodiscard]] bool IsMachine() const { return scope_ == JournalScope::Machine; }
  // ...\Tamsel Soft\Kestrun; "" when the system names no such base folder.
  [[nodiscard]] const std::string& Path() const { return Place().path; }
  // Every file of the journal, reached from its base folder.
  SafeFiles& Files() { return Place().files; }
  // Makes the folder where missing and opens it; the machine's is made and checked for administrators alone.
  ErrorCode Make(OpenFolder& open);
  // Opens it for reading: the machine's only while it is for administrators alone (a missing level is
  // no refusal, and comes back as ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND).
  ErrorCode Check(OpenFolder& open);
  // Why the folder was refused by the last Make or Check, or could not be checked.
  [[nodiscard]] const std::string& Refusal() const { return refusal_; }

 private:
  struct Where {
    Where(IPlatform& platform, JournalScope scope, const std::string& base);
    std::string path;
    SafeFiles files;
  };
  // Asked for at the first use, once: a known-folder lookup loads the shell, which a window's start
  // need not wait for.
  Where& Place() const;
  ErrorCode Open(OpenFolder& open, bool make);
  ErrorCode CheckAdminLevel(const OpenFolder& level);

  IPlatform& platform_;  // not owned
  JournalScope scope_;
  mutable std::once_flag asked_;
  mutable std::optional<Where> where_;
  std::string refusal_;
};

}  // namespace kestrun
