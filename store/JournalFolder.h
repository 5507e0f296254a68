#pragma once
// Where a journal lies, made and checked before each use: the user's in %LOCALAPPDATA%, the machine's
// in %ProgramData%, in folders only administrators can write, walked level by level through the file
// layer so that no other account's folder and no link or junction is ever written through.
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
  [[nodiscard]] const std::string& Path() const { return path_; }
  // Every file of the journal, reached from its base folder.
  SafeFiles& Files() { return files_; }
  // Makes the folder where missing and opens it; the machine's is made and checked for administrators alone.
  ErrorCode Make(OpenFolder& open);
  // Opens it for reading: the machine's only while it is for administrators alone (a missing level is
  // no refusal, and comes back as ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND).
  ErrorCode Check(OpenFolder& open);
  // Why the folder was refused by the last Make or Check, or could not be checked.
  [[nodiscard]] const std::string& Refusal() const { return refusal_; }

 private:
  JournalFolder(IPlatform& platform, JournalScope scope, const std::string& base);
  ErrorCode Open(OpenFolder& open, bool make);
  ErrorCode CheckAdminLevel(const OpenFolder& level);

  IPlatform& platform_;  // not owned
  JournalScope scope_;
  std::string path_;
  SafeFiles files_;
  std::string refusal_;
};

}  // namespace kestrun
