// Each level of the journal's folder is made, then checked by its handle before the next is made in
// it: another account may have made it first, or made it a link.
#include "store/JournalFolder.h"

#include "base/Texts.h"
#include "store/AdminFolder.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

constexpr const char* kAppFolder = "Tamsel Soft\\Kestrun";

std::string BaseOf(IPlatform& platform, JournalScope scope) {
  return scope == JournalScope::Machine ? platform.ProgramData() : platform.LocalAppData();
}

}  // namespace

JournalFolder::JournalFolder(IPlatform& platform, JournalScope scope)
    : JournalFolder(platform, scope, BaseOf(platform, scope)) {}

// The base folder asked for once: each ask is a known-folder lookup, made before the first scan starts.
JournalFolder::JournalFolder(IPlatform& platform, JournalScope scope, const std::string& base)
    : platform_(platform),
      scope_(scope),
      path_(base.empty() ? std::string() : base + "\\" + kAppFolder),
      files_(platform, base, scope == JournalScope::Machine ? "ProgramData" : Text(IDS_LOCAL_APPDATA)) {}

ErrorCode JournalFolder::Make(OpenFolder& open) { return Open(open, true); }

ErrorCode JournalFolder::Check(OpenFolder& open) { return Open(open, false); }

ErrorCode JournalFolder::Open(OpenFolder& open, bool make) {
  refusal_.clear();
  if (path_.empty()) return ERROR_PATH_NOT_FOUND;
  ErrorCode rc = ERROR_SUCCESS;
  if (!IsMachine()) {
    rc = files_.Walk(path_, open, make ? Make::All : Make::Nothing);
  } else {
    // One level at a time, each made for administrators alone and checked before anything goes in it.
    for (const std::string& level : {path_.substr(0, path_.rfind('\\')), path_}) {
      rc = files_.Walk(level, open, make ? Make::Last : Make::Nothing, make ? kAdminOnlySddl : "");
      if (rc == ERROR_SUCCESS) rc = CheckAdminLevel(open);
      if (rc != ERROR_SUCCESS) break;
    }
  }
  if (rc == kPathRefused) {
    refusal_ = files_.Refusal();
    return kFolderRefused;
  }
  // Without an administrator's rights its descriptor may not even be read: say so, too.
  if (rc != ERROR_SUCCESS && IsMachine() && refusal_.empty() && rc != ERROR_FILE_NOT_FOUND &&
      rc != ERROR_PATH_NOT_FOUND)
    refusal_ = path_ + ": " + platform_.SystemErrorText(rc);
  return rc;
}

ErrorCode JournalFolder::CheckAdminLevel(const OpenFolder& level) {
  // Wine keeps no descriptor to check; it has no elevation to guard either.
  if (!platform_.KeepsFileSecurity()) return ERROR_SUCCESS;
  std::string sddl;
  if (const ErrorCode rc = files_.Security(level, sddl); rc != ERROR_SUCCESS) return rc;
  if (std::string why = WhyNotAdminOnly(sddl); !why.empty()) {
    refusal_ = Text(IDS_NOT_ADMIN_ONLY, {level.Path(), why});
    return kFolderRefused;
  }
  return ERROR_SUCCESS;
}

}  // namespace kestrun
