// Each level of the journal's folder is made, then checked before the next is made in it: another
// account may have made it first, or made it a link.
#include "store/JournalFolder.h"

#include <vector>

#include "store/AdminFolder.h"

namespace kestrun {
namespace {

constexpr const char* kAppFolder = "Tamsel Soft\\Kestrun";

}  // namespace

std::string JournalFolder::Path() {
  const std::string base = IsMachine() ? platform_.ProgramData() : platform_.LocalAppData();
  return base.empty() ? std::string() : base + "\\" + kAppFolder;
}

ErrorCode JournalFolder::Make() {
  const std::string folder = Path();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  return IsMachine() ? MakeAdminLevels(folder) : MakeLevels(folder);
}

ErrorCode JournalFolder::MakeLevels(const std::string& folder) {
  // One level at a time from the top: the platform makes no missing parents.
  for (size_t at = folder.find('\\'); ; at = folder.find('\\', at + 1)) {
    const std::string part = at == std::string::npos ? folder : folder.substr(0, at);
    if (!part.empty() && part.back() != ':') {
      const ErrorCode rc = platform_.CreateFolder(part);
      if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_ACCESS_DENIED) return rc;
    }
    if (at == std::string::npos) break;
  }
  // A parent we may not create in (access denied) may still exist: what counts is the last level.
  std::vector<FolderEntry> entries;
  return platform_.ListFolder(folder, entries);
}

ErrorCode JournalFolder::MakeAdminLevels(const std::string& folder) {
  refusal_.clear();
  for (const std::string& level : AdminLevels(folder)) {
    ErrorCode rc = platform_.CreateSecuredFolder(level, kAdminOnlySddl);
    if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) return rc;
    if ((rc = CheckAdminLevel(level)) != ERROR_SUCCESS) return rc;
  }
  return ERROR_SUCCESS;
}

std::array<std::string, 2> JournalFolder::AdminLevels(const std::string& folder) {
  return {folder.substr(0, folder.rfind('\\')), folder};
}

ErrorCode JournalFolder::Check() {
  if (!IsMachine()) return ERROR_SUCCESS;
  refusal_.clear();
  const std::string folder = Path();
  if (folder.empty()) return ERROR_PATH_NOT_FOUND;
  for (const std::string& level : AdminLevels(folder)) {
    const ErrorCode rc = CheckAdminLevel(level);
    if (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND) return rc;
    // Without an administrator's rights its descriptor may not even be read: say so, too.
    if (rc != ERROR_SUCCESS && refusal_.empty()) refusal_ = level + ": " + platform_.SystemErrorText(rc);
    if (rc != ERROR_SUCCESS) return rc;
  }
  return ERROR_SUCCESS;
}

ErrorCode JournalFolder::CheckAdminLevel(const std::string& level) {
  if (const ErrorCode rc = NoLink(level); rc != ERROR_SUCCESS) {
    if (rc == ERROR_CANT_ACCESS_FILE) refusal_ = level + " is a link or junction";
    return rc == ERROR_CANT_ACCESS_FILE ? kFolderRefused : rc;
  }
  // Wine keeps no descriptor to check; it has no elevation to guard either.
  if (!platform_.KeepsFileSecurity()) return ERROR_SUCCESS;
  std::string sddl;
  if (const ErrorCode rc = platform_.FolderSecurity(level, sddl); rc != ERROR_SUCCESS) return rc;
  if (std::string why = WhyNotAdminOnly(sddl); !why.empty()) {
    refusal_ = level + " is not for administrators alone: " + why;
    return kFolderRefused;
  }
  return ERROR_SUCCESS;
}

ErrorCode JournalFolder::NoLink(const std::string& path) {
  DWORD attributes = 0;
  const ErrorCode rc = platform_.FileAttributesOf(path, attributes);
  if (rc != ERROR_SUCCESS) return rc;
  return attributes & FILE_ATTRIBUTE_REPARSE_POINT ? ERROR_CANT_ACCESS_FILE : ERROR_SUCCESS;
}

}  // namespace kestrun
