#pragma once
// Creating a new startup entry: a shell link in the per-user Startup folder, journalled like any change.
#include <string>

#include "store/Action.h"

namespace kestrun {

enum TCreateShortcutOutcome {
  coFileNotFound,
  coNoShellFolders,
  coNoDisplayName,
  coWritten,          // the writer ran (or would run); status says whether it succeeded
  coLinkPathTooLong,  // the link's path does not fit a Windows path; nothing was written
  coNoStartupFolder,  // the Startup value is missing, empty or not a full path; nothing was written
  coTargetPathTooLong,  // a link cannot hold a target of MAX_PATH characters or more; nothing was written
  coCommandLine,        // the target is a quoted program followed by arguments; nothing was written
};

struct CreateShortcutResult {
  TCreateShortcutOutcome outcome;
  HRESULT status = S_OK;  // for coWritten: the writer's status (FAILED(status) means no shortcut)
  std::string link{};     // for coWritten: the link's full path
};

// The target is first made exact (store/ShortcutTarget.h). Checks in this order: target exists (and
// fits a link), Shell Folders key opens, display name given, Startup folder is a full path; then
// journals the creation and writes the link through CreateLink, unless dryRun. A journal that cannot
// be written is said, and a new link is written all the same; one that would replace a file is not
// (status E_ABORT), as a removal is not. A link that cannot be written is said too.
CreateShortcutResult CreateStartupShortcut(Action& action, const std::string& target, const std::string& displayName,
                                           bool dryRun);

// The Win32 code inside a COM status, for its system text; other statuses pass as they are.
ErrorCode ErrorCodeOfStatus(HRESULT status);

// How the window and the console tool say an outcome other than coWritten: one table for both.
struct ShortcutOutcomeText {
  const char* line;   // the console tool's; "%1" stands for the target
  const char* box;    // the window's message box, "%1" for the target; nullptr: the window says nothing
  bool blamesName;    // the display name is at fault (else the target, or the machine)
  bool blamesMachine; // nothing typed is wrong: the machine does not say where its Startup folder is
};
const ShortcutOutcomeText& OutcomeText(TCreateShortcutOutcome outcome);
// text with its "%1" replaced by target.
std::string WithTarget(const char* text, const std::string& target);

// The file part of a name without its last extension: C:\x\archive.tar.gz gives archive.tar.
std::string MakeDisplayName(const std::string& fileName);

// Everything up to and including the last "\" or ":" ("" when there is neither).
std::string FolderPartOf(const std::string& fileName);

}  // namespace kestrun
