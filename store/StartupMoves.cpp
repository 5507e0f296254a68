// Moving entries between their live and disabled places, and switching StartupApproved flags on,
// as the check marks ask. A move reaches exactly the entry the row was scanned from, or it is refused
// with the reason; it never overwrites a different entry, and it never leaves an entry in no place at all.
#include "store/StartupMoves.h"

#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/StartupApproved.h"

namespace kestrun {
namespace {

std::string FolderOf(const StartupRow& row) {
  const size_t slash = row.path.rfind('\\');
  return slash == std::string::npos ? row.path : row.path.substr(0, slash);
}

// Both true when the entry reached its new place (and left the old one).
bool MoveRegistryValue(StoreContext& store, const LocationInfo& location, const StartupRow& row, bool enable,
                       JournalRecord record) {
  const char* sourceKey = enable ? location.disabledKey : location.liveKey;
  const char* targetKey = enable ? location.liveKey : location.disabledKey;
  store.Registry.SetRoot(location.hive, location.view);
  // Writing is asked for here, before anything moves: a refusal leaves the entry untouched.
  if (!store.Registry.OpenKey(sourceKey, false, KeyAccess::Write)) {
    // A key gone since the scan took its values with it: the rescan shows the truth.
    if (store.Registry.LastError() != ERROR_FILE_NOT_FOUND)
      store.report.ShowFailure(NotMovedText(row.name, enable, FailureReason(store.platform, location, store.Registry)));
    return false;
  }
  const std::optional<RegValue> source = store.Registry.ReadValue(row.name);
  if (!source) return false;  // deleted since the scan: nothing to move
  // What is moved is what the user saw: a value rewritten since is another program's, left alone.
  if (source->type != row.scanned.type || source->data != row.scanned.data) {
    store.report.ShowFailure(ChangedSinceScanText(row.name));
    return false;
  }
  // Target first: the source goes only once the entry is safe in its new place, so a failure at
  // any step leaves it in one place or both, never in none.
  if (!store.Registry.OpenKey(targetKey, true)) {
    store.report.ShowFailure(NotMovedText(row.name, enable, FailureReason(store.platform, location, store.Registry)));
    return false;
  }
  const std::optional<RegValue> there = store.Registry.ReadValue(row.name);
  if (there && (there->type != source->type || there->data != source->data)) {
    store.report.ShowFailure(AlreadyThereText(row.name));
    return false;
  }
  record.from = RegistrySide(location.hive, NativeKeyPath(location, sourceKey), *source);
  record.to = RegistrySide(location.hive, NativeKeyPath(location, targetKey), *source);
  // The same value there already: undo leaves it, as it was.
  if (there) record.replaced = RegistrySide(location.hive, NativeKeyPath(location, targetKey), *there);
  JournalChange(store, record, true);
  ChangeOutcome outcome(store, record);
  // Type and bytes exactly as stored: an expandable string stays expandable, a NUL inside stays.
  store.Registry.WriteValue({row.name, source->type, source->data});
  outcome.Done();  // in both places at worst: the record stays true of the copy
  if ((!store.Registry.OpenKey(sourceKey, false, KeyAccess::Write) || !store.Registry.DeleteValue(row.name)) &&
      store.Registry.LastError() != ERROR_FILE_NOT_FOUND) {
    const std::string copiedTo = RegistryPlace(location.hive, NativeKeyPath(location, targetKey));
    const std::string leftIn = RegistryPlace(location.hive, NativeKeyPath(location, sourceKey));
    store.report.ShowFailure(
        InBothPlacesText(row.name, copiedTo, leftIn, FailureReason(store.platform, location, store.Registry)));
    return false;
  }
  return true;
}

// True (and reported) when the target holds a file of that name that is not this one's copy.
bool TargetFileDiffers(StoreContext& store, const StartupRow& row, const std::string& target) {
  if (!store.platform.FileExists(target)) return false;
  std::string ours, theirs;
  if (const ErrorCode rc = store.platform.ReadFileData(row.path, ours); rc != ERROR_SUCCESS) {
    store.report.ShowSystemError(rc, row.path);
    return true;
  }
  if (store.platform.ReadFileData(target, theirs) == ERROR_SUCCESS && ours == theirs) return false;
  store.report.ShowFailure(AlreadyThereText(row.name));
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

bool MoveStartupFile(StoreContext& store, const LocationInfo& location, const StartupRow& row,
                     const std::string& targetFolder, bool enable, JournalRecord record) {
  if (!IsEntryFileName(row.name)) {
    store.report.ShowFailure(NotAnEntryText(row.name));
    return false;
  }
  if (targetFolder.empty()) return false;  // no known folder to move to: leave the file where it is
  const std::string target = targetFolder + "\\" + row.name;
  if (TargetFileDiffers(store, row, target)) return false;
  record.from = FileSide(row.path);
  record.to = FileSide(target);
  // A copy there already is overwritten by the same bytes: kept all the same, so undo leaves it.
  if (store.platform.FileExists(target)) record.replaced = FileSide(target);
  JournalChange(store, record, true, record.replaced ? &*record.replaced : nullptr);
  ChangeOutcome outcome(store, record);
  // Only a parking folder is made on the way: a missing live folder is no place of ours to make.
  if (const ErrorCode rc = CopyIntoFolder(store.platform, row.path, targetFolder, target, !enable);
      rc != ERROR_SUCCESS) {
    if (IsRightsRefusal(location, rc))
      store.report.ShowFailure(NotMovedText(row.name, enable, kAdminRightsText));
    else if (store.platform.FileExists(targetFolder))
      store.report.ShowFailure(FileInTheWayText(row.name, enable, targetFolder));
    else
      store.report.ShowSystemError(rc, row.path);
    return false;
  }
  outcome.Done();  // in both places at worst: the record stays true of the copy
  if (const ErrorCode rc = store.platform.FileDelete(row.path); rc != ERROR_SUCCESS) {
    store.report.ShowFailure(
        InBothPlacesText(row.name, targetFolder, FolderOf(row), FailureReason(store.platform, location, rc)));
    return false;
  }
  return true;
}

}  // namespace

void MoveEntry(StoreContext& store, const StartupRow& row, bool enable) {
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return;
  const std::int32_t enabled = row.record.GetEnabled();
  if (enable && enabled == 1) {
    // Live but switched off by Windows: switch it on where it lies.
    if (row.approved == Approval::Off) SwitchOnApproval(store, *location, row.name);
    return;
  }
  // Switching off parks a live entry and leaves any flag as it is.
  if (enabled != (enable ? 0 : 1)) return;
  bool moved = false;
  JournalRecord record;
  record.action = enable ? "bring-back" : "park";
  record.location = location->code;
  record.name = row.name;
  if (location->isFolder) {
    const bool user = location->code == slUserStartupFolder;
    const std::string& live = user ? store.folders.StartupDir : store.folders.CommonStartupDir;
    const std::string& parked = user ? store.folders.DisabledStartupDir : store.folders.DisabledCommonStartupDir;
    moved = MoveStartupFile(store, *location, row, enable ? live : parked, enable, std::move(record));
  } else {
    moved = MoveRegistryValue(store, *location, row, enable, std::move(record));
  }
  // Back in its live place under an old disabling flag, Windows would still keep it off.
  if (!moved || !enable) return;
  const std::optional<RegValue> flag = ReadApproval(store, *location, row.name);
  if (flag && ApprovalOf(*flag) == Approval::Off) SwitchOnApproval(store, *location, row.name);
}

}  // namespace kestrun
