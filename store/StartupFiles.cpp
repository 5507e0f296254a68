// Files in the Startup folders as entries: listed as the folder holds them, and changed only through
// the file layer below the folder the system names for the place. A move copies (whole, under a
// temporary name, then renamed) and only then deletes, so that a failure leaves a file in one place
// or both, never in none and never cut short.
#include "store/StartupFiles.h"

#include "base/Text.h"
#include "base/Texts.h"
#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/PlaceFiles.h"
#include "store/StoreContext.h"
#include "store/TextIds.h"
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
      action.Refuse(Text(IDS_FOLDER_VALUE_UNREADABLE, {location.folderValue, error.what()}));
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
    if (IsTemporaryName(entry.name)) continue;   // a copy the file layer has not finished
    rows.push_back({entry.name, folder + "\\" + entry.name, live, TKStartupEntry(live, location), {}});
    StartupRow& row = rows.back();
    // From the file itself, as a removal reads it: a folder's listing can lag behind (NTFS, a file
    // held open or reached through another hard link).
    if (platform.FileStamp(row.path, row.scannedSize, row.scannedWritten) != ERROR_SUCCESS) row.scannedWritten = 0;
  }
  return true;
}

// The disabled folder is missing: make it now, hidden, so that disabling has somewhere to go. A user
// who may not write the all-users folders is not told so at every scan, nor of a place the file layer
// refuses: a change that needs the folder tries again, and says what to do.
void MakeParkingFolder(Action& action, const LocationInfo& location, const std::string& folder) {
  OpenFolder open;
  const ErrorCode rc = PlaceFiles(action.Platform(), location).Walk(folder, open, Make::LastHidden);
  if (rc != ERROR_SUCCESS && rc != kPathRefused && !(rc == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE))
    action.FailCall(folder, rc);
}

// A failed file call said: a refusal of the file layer with its reason, else the system's text.
void SayFileError(Action& action, const SafeFiles& files, const std::string& what, const std::string& path,
                  ErrorCode rc) {
  if (rc == kPathRefused)
    action.Refuse(what, files.Refusal());
  else
    action.FailCall(path, rc);
}

// True (and said) when the target holds a file of that name that is not this one's copy.
bool TargetFileDiffers(Action& action, SafeFiles& files, const StartupRow& row, const std::string& target,
                       bool enable) {
  bool there = false;
  std::string ours, theirs;
  ErrorCode rc = files.Exists(target, there);
  if (rc == ERROR_SUCCESS && !there) return false;
  if (rc == ERROR_SUCCESS) rc = files.Read(row.path, ours);
  if (rc != ERROR_SUCCESS) {
    SayFileError(action, files, NotMovedText(row.name, enable), row.path, rc);
    return true;
  }
  if (files.Read(target, theirs) == ERROR_SUCCESS && ours == theirs) return false;
  action.Refuse(AlreadyThereText(row.name));
  return true;
}

void SayCopyFailed(Action& action, const SafeFiles& files, const LocationInfo& location, const StartupRow& row,
                   bool enable, const std::string& targetFolder, ErrorCode rc) {
  if (IsRightsRefusal(location, rc))
    action.Refuse(NotMovedText(row.name, enable), AdminRightsText());
  else if (rc == ERROR_DIRECTORY)  // a file where the folder should be
    action.Refuse(FileInTheWayText(row.name, enable, targetFolder));
  else
    SayFileError(action, files, NotMovedText(row.name, enable), row.path, rc);
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
      action.Refuse(Text(IDS_FOLDER_VALUE_NOT_FULL, {location.folderValue, startup}));
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
  SafeFiles files = PlaceFiles(action.Platform(), location);
  if (TargetFileDiffers(action, files, row, target, enable)) return false;
  JournalRecord record;
  record.action = enable ? "bring-back" : "park";
  record.location = location.code;
  record.name = row.name;
  record.from = FileSide(row.path);
  record.to = FileSide(target);
  // A copy there already (a move stopped half way) is replaced by the same bytes: kept all the same,
  // so undo leaves it.
  bool there = false;
  if (files.Exists(target, there) == ERROR_SUCCESS && there) record.replaced = FileSide(target);
  JournalChange(action, record, true, record.replaced ? &*record.replaced : nullptr);
  ChangeOutcome outcome(action, record);
  // Only a parking folder is made on the way: a missing live folder is no place of ours to make.
  const Make make = enable ? Make::Nothing : Make::LastHidden;
  if (const ErrorCode rc = files.Copy(files, row.path, target, there, false, make); rc != ERROR_SUCCESS) {
    SayCopyFailed(action, files, location, row, enable, targetFolder, rc);
    return false;
  }
  outcome.Done();  // in both places at worst: the record stays true of the copy
  if (const ErrorCode rc = files.Delete(row.path); rc != ERROR_SUCCESS) {
    action.Refuse(InBothPlacesText(row.name, targetFolder, FolderOf(row.path)),
                  rc == kPathRefused ? files.Refusal() : FailureReason(action.Platform(), location, rc));
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
  SafeFiles files = PlaceFiles(action.Platform(), location);
  JournalRecord record;
  record.action = "remove";
  record.location = location.code;
  record.name = row.name;
  record.from = FileSide(row.path);
  // Nothing to keep when the file is gone already: the delete below says so.
  bool there = false;
  if (const ErrorCode rc = files.Exists(row.path, there); rc != ERROR_SUCCESS) {
    SayFileError(action, files, NotRemovedText(row.name), row.path, rc);
    return false;
  }
  if (there && !JournalChange(action, record, false, &*record.from)) return false;
  ChangeOutcome outcome(action, record);
  if (const ErrorCode rc = files.Delete(row.path); rc != ERROR_SUCCESS) {
    if (IsRightsRefusal(location, rc))
      action.Refuse(NotRemovedText(row.name), AdminRightsText());
    else
      SayFileError(action, files, NotRemovedText(row.name), row.path, rc);
    return false;
  }
  outcome.Done();
  return true;
}

bool StartupFileKind::InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const {
  const std::string& other = FolderField(action.Store().folders, location.code, row.record.GetEnabled() != 1);
  bool there = false;
  return !other.empty() && PlaceFiles(action.Platform(), location).Exists(other + "\\" + row.name, there) ==
                               ERROR_SUCCESS && there;
}

bool StartupFileKind::SameBytes(Action& action, const LocationInfo& location, const StartupRow& a,
                                const StartupRow& b) const {
  SafeFiles files = PlaceFiles(action.Platform(), location);
  std::string first, second;
  return files.Read(a.path, first) == ERROR_SUCCESS && files.Read(b.path, second) == ERROR_SUCCESS && first == second;
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
    return Text(IDS_ALWAYS_HAS_VALUE, {PlaceName(location.code)});
  if (!side.isFile)
    return location.approvedKey && side.place == RegistryPlace(location.hive, location.approvedKey)
               ? ""
               : Text(IDS_NOT_A_KEY_OF, {side.place, PlaceName(location.code)});
  const std::string startup = ReadStartupFolder(action, location, false);
  const bool ownFolder = IsFullPath(startup) && (side.place == startup || side.place == DisabledFolderOf(startup));
  if (!ownFolder || side.path != side.place + "\\" + record.name)
    return Text(IDS_NOT_IN_FOLDER_OF, {side.path, PlaceName(location.code)});
  return {};
}

std::string StartupFileKind::CheckUndo(Action& action, const JournalRecord& change,
                                       const UndoOverlay& overlay) const {
  if (!IsFileRecord(change)) return CheckValueUndo(action, change, overlay);
  SafeFiles files = PlaceFiles(action.Platform(), *FindLocation(change.location));
  // What the newer undos of the step leave there, else what the folder holds now; false: not known.
  const auto there = [&](const JournalSide& side, bool& found) {
    if (const auto planned = overlay.At(side, change.name)) {
      found = *planned != nullptr;
      return true;
    }
    return files.Exists(side.path, found) == ERROR_SUCCESS;
  };
  bool found = false;
  if (change.to && !there(*change.to, found)) return files.Refusal();
  if (change.to && !found) return Text(IDS_FILE_GONE, {change.to->path});
  if (change.from && !there(*change.from, found)) return files.Refusal();
  if (change.from && found) return Text(IDS_FILE_BACK, {change.from->path});
  // Each copy undo would read is read now: one missing, or planted as a link, stops it before anything changes.
  std::vector<const JournalSide*> kept;
  if (change.from && !change.to) kept.push_back(&*change.from);
  if (change.replaced && !change.replaced->backup.empty()) kept.push_back(&*change.replaced);
  SafeFiles& journal = action.Store().JournalOf(change.location).Files();
  for (const JournalSide* side : kept) {
    std::string bytes;
    const ErrorCode rc = side->backup.empty() ? ERROR_FILE_NOT_FOUND : journal.Read(side->backup, bytes, true);
    if (rc == kPathRefused) return journal.Refusal();
    if (rc != ERROR_SUCCESS) return Text(IDS_KEPT_COPY_MISSING, {side->path});
  }
  return {};
}

std::string StartupFileKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  if (!IsFileRecord(change)) return UndoValue(action, change, undo);
  const bool deletes = change.to && !change.from;
  if (!JournalChange(action, undo, !deletes, deletes ? &*undo.from : nullptr)) return Text(IDS_JOURNAL_NOT_WRITTEN);
  ChangeOutcome outcome(action, undo);
  SafeFiles files = PlaceFiles(action.Platform(), *FindLocation(change.location));
  SafeFiles& journal = action.Store().JournalOf(change.location).Files();
  auto failed = [&](ErrorCode rc, const std::string& what) { return what + ": " + files.ErrorText(rc); };
  // Never over a file of that name: whatever lies there now is someone's.
  if (change.from) {
    const ErrorCode rc = change.to ? files.Copy(files, change.to->path, change.from->path, false)
                                   : files.Copy(journal, change.from->backup, change.from->path, false, true);
    if (rc != ERROR_SUCCESS) return failed(rc, change.from->path);
  }
  if (change.to) {
    if (const ErrorCode rc = files.Delete(change.to->path); rc != ERROR_SUCCESS) return failed(rc, change.to->path);
    if (change.replaced && !change.replaced->backup.empty())
      if (const ErrorCode rc = files.Copy(journal, change.replaced->backup, change.to->path, false, true);
          rc != ERROR_SUCCESS)
        return failed(rc, change.to->path);
  }
  outcome.Done();
  return {};
}

}  // namespace kestrun
