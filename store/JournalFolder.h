#pragma once
// Where a journal lies, made and checked before each use: the user's in %LOCALAPPDATA%, the machine's
// in %ProgramData%, in folders only administrators can write, checked level by level so that no other
// account's folder and no link or junction is ever written through.
#include <array>
#include <string>

#include "store/platform/Platform.h"

namespace kestrun {

// What an undo running elevated may trust: a folder only Administrators and SYSTEM can write.
inline constexpr const char* kAdminOnlySddl = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";
// The machine's journal folder is not one only administrators can write (Refusal() says why).
inline constexpr ErrorCode kFolderRefused = ERROR_INVALID_SECURITY_DESCR;

enum class JournalScope { User, Machine };

class JournalFolder {
 public:
  JournalFolder(IPlatform& platform, JournalScope scope) : platform_(platform), scope_(scope) {}

  [[nodiscard]] bool IsMachine() const { return scope_ == JournalScope::Machine; }
  // ...\Tamsel Soft\Kestrun; "" when the system names no such base folder.
  std::string Path();
  // Makes the folder where missing; the machine's is made and checked for administrators alone.
  ErrorCode Make();
  // The machine's folder is still for administrators alone (a missing level is no refusal, and
  // comes back as ERROR_FILE_NOT_FOUND or ERROR_PATH_NOT_FOUND); the user's is always fine.
  ErrorCode Check();
  // ERROR_CANT_ACCESS_FILE when path itself is a link or junction.
  ErrorCode NoLink(const std::string& path);
  // Why the machine's folder was refused by the last Make or Check, or could not be checked.
  [[nodiscard]] const std::string& Refusal() const { return refusal_; }

 private:
  ErrorCode MakeLevels(const std::string& folder);
  ErrorCode MakeAdminLevels(const std::string& folder);
  ErrorCode CheckAdminLevel(const std::string& level);
  static std::array<std::string, 2> AdminLevels(const std::string& folder);  // Tamsel Soft, then Kestrun

  IPlatform& platform_;  // not owned
  JournalScope scope_;
  std::string refusal_;
};

}  // namespace kestrun
