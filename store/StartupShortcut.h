#pragma once
// Creating a new startup entry: a shell link in the per-user Startup folder.
#include <string>

#include "store/Journal.h"
#include "store/platform/Registry.h"

namespace kestrun {

enum TCreateShortcutOutcome {
  coFileNotFound,
  coNoShellFolders,
  coNoDisplayName,
  coWritten,          // the writer ran; Status says whether it succeeded
  coLinkPathTooLong,  // the link's path does not fit a Windows path; nothing was written
  coNoStartupFolder,  // the Startup value is missing, empty or not a full path; nothing was written
  coTargetPathTooLong,  // a link cannot hold a target of MAX_PATH characters or more; nothing was written
};

struct CreateShortcutResult {
  TCreateShortcutOutcome Outcome;
  HRESULT Status = S_OK;  // for coWritten: the writer's status (FAILED(Status) means no shortcut)
  ErrorCode JournalError = ERROR_SUCCESS;  // the journal could not be written: the caller warns
};

// The target is first made exact (store/ShortcutTarget.h). Checks in this order: target exists (and fits a link), Shell Folders key opens, display name given,
// Startup folder is a full path; then writes.
// registry: the caller's own registry object (it keeps the Shell Folders key open afterwards).
// journal: where the creation is recorded before the link is written, when given.
CreateShortcutResult CreateStartupShortcut(IPlatform& platform, RegistryAccess& registry,
                                            const std::string& target, const std::string& displayName,
                                            Journal* journal = nullptr);

// A display name fit to be a file name in the Startup folder (no folder, stream or device).
bool IsFileNameSafe(const std::string& name);

// Sets path, description and working directory on a shell link and saves it.
HRESULT CreateLink(IPlatform& platform, const std::string& target, const std::string& link,
                   const std::string& description);

// The file part of a name without its last extension: C:\x\archive.tar.gz gives archive.tar.
std::string MakeDisplayName(const std::string& fileName);

// Everything up to and including the last "\" or ":" ("" when there is neither).
std::string FolderPartOf(const std::string& fileName);

}  // namespace kestrun
