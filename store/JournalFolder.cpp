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

JournalFolder::JournalFolder(IPlatform& platform, JournalScope scope) : platform_(platform), scope_(scope) {}

JournalFolder::Where::Where(IPlatform& platform, JournalScope scope, const std::string& base)
    : path(base.empty() ? std::string() : base + "\\" + kAppFolder),
      files(platform, base, scope == JournalScope::Machine ? "ProgramData" : Text(IDS_LOCAL_APPDATA)) {}

JournalFolder::Where& JournalFolder::Place() const {
  std::call_once(asked_, [this] { where_.emplace(platform_, scope_, BaseOf(platform_, scope_)); });
  return *where_;
}

ErrorCode JournalFolder::Make(OpenFolder& open) { return Open(open, true); }

ErrorCode JournalFolder::Check(OpenFolder& open) { return Open(open, false); }

ErrorCode JournalFolder::Open(OpenFolder& open, bool make) {
  refusal_.clear();
  const std::string& path = Path();
  if (path.empty()) return ERROR_PATH_NOT_FOUND;
  SafeFiles& files = Files();
  ErrorCode rc = ERROR_SUCCESS;
  if (!IsMachine()) {
    rc = files.Walk(path, open, make ? Make::All : Make::Nothing);
  } else {
    // One level at a time, each made for administrators alone and checked before anything goes in it.
    for (const std::string& level : {path.substr(0, path.rfind('\\')), path}) {
      rc = files.Walk(level, open, make ? Make::Last : Make::Nothing, make ? kAdminOnlySddl : "");
      if (rc == ERROR_SUCCESS) rc = CheckAdminLevel(open);
      if (rc != ERROR_SUCCESS) break;
    }
  }
  if (rc == kPathRefused) {
    refusal_ = files.Refusal();
    return kFolderRefused;
  }
  // Without an administrator's rights its descriptor may not even be read: say so, too.
  if (rc != ERROR_SUCCESS && IsMachine() && refusal_.empty() && rc != ERROR_FILE_NOT_FOUND &&
      rc != ERROR_PATH_NOT_FOUND)
    refusal_ = path + ": " + platform_.SystemErrorText(rc);
  return rc;
}

ErrorCode JournalFolder::CheckAdminLevel(const OpenFolder& level) {
  // Wine keeps no descriptor to check; it has no elevation to guard either.
  if (!platform_.KeepsFileSecurity()) return ERROR_SUCCESS;
  std::string sddl;
  if (const ErrorCode rc = Files().Security(level, sddl); rc != ERROR_SUCCESS) return rc;
  if (std::string why = WhyNotAdminOnly(sddl); !why.empty()) {
    refusal_ = Text(IDS_NOT_ADMIN_ONLY, {level.Path(), why});
    return kFolderRefused;
  }
  return ERROR_SUCCESS;
}

}  // namespace kestrun
