// Files in the Startup folders as entries: listed as the folder holds them, moved by copy then delete
// so that a failure leaves a file in one place or both, never in none.
#include "store/StartupFiles.h"

#include "base/Text.h"
#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/StoreContext.h"
#include "store/ValueUndo.h"

namespace kestrun {
namespace {

std::string& FolderField(StartupFolders& folders, std::int32_t location, bool live) {
  if (location == slUserStartupFolder) return live ? folders.StartupDir : folders.DisabledStartupDir;
  return live ? folders.CommonStartupDir : folders.DisabledCommonStartupDir;
}

std::string FolderOf(const std::string& path) {
  const size_t slash = path.rfind('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// The Startup folder Shell Folders names for the location; "" when it cannot be read. A value of the
// wrong type is one place's fault: that place is skipped, said once a scan (report), and the other
// places are still listed.
std::string ReadStartupFolder(Action& action, const LocationInfo& location, bool report) {
  RegistryAccess* key = action.Key(location.hive, kShellFoldersKey);
  if (!key) return {};
  try {
    return key->ReadString(location.folderValue);
  } catch (const ERegistryError& error) {
    if (report)
      action.Refuse("The " + std::string(location.folderValue) + " folder named in Shell Folders cannot be read (" +
                    error.what() + "): its entries are not listed.");
    return {};
  }
}

bool AppendFolderRows(Action& action, const std::string& folder, bool live, std::int32_t location,
                      StartupRows& rows) {
  IPlatform& platform = action.Platform();
  std::vector<FolderEntry> entries;
  if (platform.ListFolder(folder, entries) != ERROR_SUCCESS) return false;
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    if (!IsEntryFileName(entry.name)) continue;  // its path would lead somewhere else
    rows.push_back({entry.name, folder + "\\" + entry.name, live, TKStartupEntry(live, location)});
    StartupRow& row = rows.back();
    // From the file itself, as a removal reads it: a folder's listing can lag behind (NTFS, a file
    // held open or reached through another hard link).
    if (platform.FileStamp(row.path, row.scannedSize, row.scannedWritten) != ERROR_SUCCESS) row.scannedWritten = 0;
  }
  return true;
}

// The disabled folder is missing: make it now, hidden, so that disabling has somewhere to go. A user
// who may not write the all-users folders is not told so at every scan: a change that needs the
// folder tries again, and says what to do.
void MakeParkingFolder(Action& action, const LocationInfo& location, const std::string& folder) {
  IPlatform& platform = action.Platform();
  if (const ErrorCode rc = platform.CreateFolder(folder); rc != ERROR_SUCCESS) {
    if (!(rc == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE)) action.FailCall(folder, rc);
  } else {
    platform.SetAttributes(folder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  }
}

// True (and said) when the target holds a file of that name that is not this one's copy.
bool TargetFileDiffers(Action& action, const StartupRow& row, const std::string& target) {
  IPlatform& platform = action.Platform();
  if (!platform.FileExists(target)) return false;
  std::string ours, theirs;
  if (const ErrorCode rc = platform.ReadFileData(row.path, ours); rc != ERROR_SUCCESS) {
    action.FailCall(row.path, rc);
    return true;
  }
  if (platform.ReadFileData(target, theirs) == ERROR_SUCCESS && ours == theirs) return false;
  action.Refuse(AlreadyThereText(row.name));
  return true;
}

ErrorCode CopyIntoFolder(IPlatform& platform, const std::string& source, const std::string& targetFolder,
                         const std::string& target, bool mayCreate) {
  const ErrorCode rc = platform.FileCopy(source, target);
  if (rc != ERROR_PATH_NOT_FOUND || !mayCreate) return rc;
  // The scan could not make the disabled folder (no rights then, perhaps): the change tries again.
  if (const ErrorCode made = platform.CreateFolder(targetFolder); made != ERROR_SUCCESS)
    return made == ERROR_ALREADY_EXISTS ? rc : made;
  platform.SetAttributes(targetFolder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  return platform.FileCopy(source, target);
}

void SayCopyFailed(Action& action, const LocationInfo& location, const StartupRow& row, bool enable,
                   const std::string& targetFolder, ErrorCode rc) {
  if (IsRightsRefusal(location, rc))
    action.Refuse(NotMovedText(row.name, enable), kAdminRightsText);
  else if (action.Platform().FileExists(targetFolder))
    action.Refuse(FileInTheWayText(row.name, enable, targetFolder));
  else
    action.FailCall(row.path, rc);
}

// True (and said) when the file is no longer as the scan saw it: another program rewrote it since.
bool ChangedSinceScan(Action& action, const StartupRow& row) {
  std::uint64_t size = 0, written = 0;
  if (row.scannedWritten == 0 || action.Platform().FileStamp(row.path, size, written) != ERROR_SUCCESS) return false;
  if (size == row.scannedSize && written == row.scannedWritten) return false;
  action.Refuse(ChangedSinceScanText(row.name));
  return true;
}

bool IsFileRecord(const JournalRecord& change) { return (change.to ? *change.to : *change.from).isFile; }

}  // namespace

void StartupFileKind::Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const {
  const std::string startup = ReadStartupFolder(action, location, live);
  if (startup.empty()) return;  // the stored path keeps what the last scan found
  // A relative path would mean the current directory: never list, make or move anything there.
  if (!IsFullPath(startup)) {
    if (live)  // once a scan, not again for the parking place
      action.Refuse("The " + std::string(location.folderValue) + " folder named in Shell Folders, '" + startup +
                    "', is not a full path: its entries are not listed.");
    return;
  }
  const std::string folder = live ? startup : DisabledFolderOf(startup);
  FolderField(action.Store().folders, location.code, live) = folder;
  if (!AppendFolderRows(action, folder, live, location.code, rows) && !live)
    MakeParkingFolder(action, location, folder);
}

bool StartupFileKind::Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const {
  if (!IsEntryFileName(row.name)) {
    action.Refuse(NotAnEntryText(row.name));
    return false;
  }
  const std::string targetFolder = FolderField(action.Store().folders, location.code, enable);
  if (targetFolder.empty()) return false;  // no known folder to move to: leave the file where it is
  const std::string target = targetFolder + "\\" + row.name;
  if (TargetFileDiffers(action, row, target)) return false;
  IPlatform& platform = action.Platform();
  JournalRecord record;
  record.action = enable ? "bring-back" : "park";
  record.location = location.code;
  record.name = row.name;
  record.from = FileSide(row.path);
  record.to = FileSide(target);
  // A copy there already is overwritten by the same bytes: kept all the same, so undo leaves it.
  if (platform.FileExists(target)) record.replaced = FileSide(target);
  JournalChange(action, record, true, record.replaced ? &*record.replaced : nullptr);
  ChangeOutcome outcome(action, record);
  // Only a parking folder is made on the way: a missing live folder is no place of ours to make.
  if (const ErrorCode rc = CopyIntoFolder(platform, row.path, targetFolder, target, !enable); rc != ERROR_SUCCESS) {
    SayCopyFailed(action, location, row, enable, targetFolder, rc);
    return false;
  }
  outcome.Done();  // in both places at worst: the record stays true of the copy
  if (const ErrorCode rc = platform.FileDelete(row.path); rc != ERROR_SUCCESS) {
    action.Refuse(InBothPlacesText(row.name, targetFolder, FolderOf(row.path)),
                  FailureReason(platform, location, rc));
    return false;
  }
  return true;
}

bool StartupFileKind::Remove(Action& action, const LocationInfo& location, const StartupRow& row) const {
  if (!IsEntryFileName(row.name)) {
    action.Refuse(NotAnEntryText(row.name));
    return false;
  }
  if (ChangedSinceScan(action, row)) return false;
  IPlatform& platform = action.Platform();
  JournalRecord record;
  record.action = "remove";
  record.location = location.code;
  record.name = row.name;
  record.from = FileSide(row.path);
  // Nothing to keep when the file is gone already: the delete below says so.
  if (platform.FileExists(row.path) && !JournalChange(action, record, false, &*record.from)) return false;
  ChangeOutcome outcome(action, record);
  if (const ErrorCode rc = platform.FileDelete(row.path); rc != ERROR_SUCCESS) {
    if (IsRightsRefusal(location, rc))
      action.Refuse(NotRemovedText(row.name), kAdminRightsText);
    else
      action.FailCall(row.path, rc);
    return false;
  }
  outcome.Done();
  return true;
}

bool StartupFileKind::InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const {
  const std::string& other = FolderField(action.Store().folders, location.code, row.record.GetEnabled() != 1);
  return !other.empty() && action.Platform().FileExists(other + "\\" + row.name);
}

// A moved file lies in the other folder: its name there is all that can tell it.
bool StartupFileKind::SameEntry(const StartupRow& was, const StartupRow& now, bool stayed) const {
  return !stayed || SameName(now.path, was.path);
}

EntryCommand StartupFileKind::Command(const LocationInfo&, const StartupRow& row) const {
  return {EntryCommand::Form::File, row.path};
}

EntrySource StartupFileKind::Source(const LocationInfo&, const StartupRow& row) const {
  return {FolderOf(row.path), "file"};
}

std::string StartupFileKind::WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                                           const JournalSide& side) const {
  // Its StartupApproved flag is the one value a folder entry has.
  if (!side.isFile && side.absent != Absent::No)
    return "a change of " + std::string(PlaceName(location.code)) + " always has a value";
  if (!side.isFile)
    return location.approvedKey && side.place == RegistryPlace(location.hive, location.approvedKey)
               ? ""
               : side.place + " is not a key of " + PlaceName(location.code);
  const std::string startup = ReadStartupFolder(action, location, false);
  const bool ownFolder = IsFullPath(startup) && (side.place == startup || side.place == DisabledFolderOf(startup));
  if (!ownFolder || side.path != side.place + "\\" + record.name)
    return side.path + " is not in a folder of " + PlaceName(location.code);
  return {};
}

std::string StartupFileKind::CheckUndo(Action& action, const JournalRecord& change,
                                       const UndoOverlay& overlay) const {
  if (!IsFileRecord(change)) return CheckValueUndo(action, change, overlay);
  IPlatform& platform = action.Platform();
  const auto there = [&](const JournalSide& side) {
    const auto planned = overlay.At(side, change.name);
    return planned ? *planned != nullptr : platform.FileExists(side.path);
  };
  if (change.to && !there(*change.to)) return change.to->path + " is no longer there";
  if (change.from && there(*change.from))
    return "a file " + change.from->path + " is there again; undoing would overwrite it";
  if (change.from && !change.to && (change.from->backup.empty() || !platform.FileExists(change.from->backup)))
    return "the copy kept of " + change.from->path + " is missing";
  // A file the change overwrote comes back from its copy: without it, undo would stop half done.
  if (change.to && change.replaced && !change.replaced->backup.empty() && !platform.FileExists(change.replaced->backup))
    return "the copy kept of the file " + change.to->path + " replaced is missing";
  return {};
}

std::string StartupFileKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  if (!IsFileRecord(change)) return UndoValue(action, change, undo);
  const bool deletes = change.to && !change.from;
  if (!JournalChange(action, undo, !deletes, deletes ? &*undo.from : nullptr)) return "the journal could not be written";
  ChangeOutcome outcome(action, undo);
  IPlatform& platform = action.Platform();
  auto failed = [&](ErrorCode rc, const std::string& what) { return what + ": " + platform.SystemErrorText(rc); };
  if (change.from) {
    const std::string& source = change.to ? change.to->path : change.from->backup;
    if (const ErrorCode rc = platform.FileCopy(source, change.from->path); rc != ERROR_SUCCESS)
      return failed(rc, change.from->path);
  }
  if (change.to) {
    if (const ErrorCode rc = platform.FileDelete(change.to->path); rc != ERROR_SUCCESS) return failed(rc, change.to->path);
    if (change.replaced && !change.replaced->backup.empty())
      if (const ErrorCode rc = platform.FileCopy(change.replaced->backup, change.to->path); rc != ERROR_SUCCESS)
        return failed(rc, change.to->path);
  }
  outcome.Done();
  return {};
}

}  // namespace kestrun
