// Moving entries between their live and disabled places, as the check marks ask. A move reaches
// exactly the entry the row was scanned from, or it is refused with the reason; it never overwrites
// a different entry, and it never leaves an entry in no place at all.
#include "store/ChangeMessages.h"
#include "store/StartupStore.h"

namespace kestrun {
namespace {

std::string PlaceName(HKEY hive, const char* key) {
  return std::string(hive == HKEY_LOCAL_MACHINE ? "HKLM" : "HKCU") + key;
}

std::string FolderOf(const StartupRow& row) {
  const size_t slash = row.Path.rfind('\\');
  return slash == std::string::npos ? row.Path : row.Path.substr(0, slash);
}

}  // namespace

void StartupStore::ApplyCheckChanges(const StartupRows& rows) {
  for (const StartupRow& row : rows) {
    const std::int32_t wanted = row.Checked ? 1 : 0;
    if (wanted == row.Record.GetEnabled()) continue;
    const LocationInfo* location = FindLocation(row.Record.GetLocation());
    if (!location) continue;
    if (location->isFolder) {
      const bool user = location->code == slUserStartupFolder;
      const std::string& live = user ? folders_.StartupDir : folders_.CommonStartupDir;
      const std::string& parked = user ? folders_.DisabledStartupDir : folders_.DisabledCommonStartupDir;
      MoveStartupFile(row, wanted ? live : parked);
    } else {
      MoveRegistryValue(*location, row);
    }
  }
}

void StartupStore::MoveRegistryValue(const LocationInfo& location, const StartupRow& row) {
  const bool enable = row.Checked;
  const char* sourceKey = enable ? location.disabledKey : location.liveKey;
  const char* targetKey = enable ? location.liveKey : location.disabledKey;
  Registry.SetRoot(location.hive);
  if (!Registry.OpenKey(sourceKey, false)) {
    // A key gone since the scan took its values with it: the rescan shows the truth.
    if (Registry.LastError() != ERROR_FILE_NOT_FOUND)
      report_.ShowFailure(NotMovedText(row.Name, enable, platform_.SystemErrorText(Registry.LastError())));
    return;
  }
  const std::optional<RegValue> source = Registry.ReadValue(row.Name);
  if (!source) return;  // deleted since the scan: nothing to move
  // What is moved is what the user saw: a value rewritten since is another program's, left alone.
  if (source->type != row.scanned.type || source->data != row.scanned.data) {
    report_.ShowFailure(ChangedSinceScanText(row.Name));
    return;
  }
  // Target first: the source goes only once the entry is safe in its new place, so a failure at
  // any step leaves it in one place or both, never in none.
  if (!Registry.OpenKey(targetKey, true)) {
    report_.ShowFailure(NotMovedText(row.Name, enable, platform_.SystemErrorText(Registry.LastError())));
    return;
  }
  if (const std::optional<RegValue> there = Registry.ReadValue(row.Name);
      there && (there->type != source->type || there->data != source->data)) {
    report_.ShowFailure(AlreadyThereText(row.Name));
    return;
  }
  // Type and bytes exactly as stored: an expandable string stays expandable, a NUL inside stays.
  Registry.WriteValue({row.Name, source->type, source->data});
  if ((!Registry.OpenKey(sourceKey, false) || !Registry.DeleteValue(row.Name)) &&
      Registry.LastError() != ERROR_FILE_NOT_FOUND)
    report_.ShowFailure(InBothPlacesText(row.Name, PlaceName(location.hive, targetKey),
                                         PlaceName(location.hive, sourceKey),
                                         platform_.SystemErrorText(Registry.LastError())));
}

// True (and reported) when the target holds a file of that name that is not this one's copy.
bool StartupStore::TargetFileDiffers(const StartupRow& row, const std::string& target) {
  if (!platform_.FileExists(target)) return false;
  std::string ours, theirs;
  if (const ErrorCode rc = platform_.ReadFileData(row.Path, ours); rc != ERROR_SUCCESS) {
    report_.ShowSystemError(rc, row.Path);
    return true;
  }
  if (platform_.ReadFileData(target, theirs) == ERROR_SUCCESS && ours == theirs) return false;
  report_.ShowFailure(AlreadyThereText(row.Name));
  return true;
}

void StartupStore::MoveStartupFile(const StartupRow& row, const std::string& targetFolder) {
  const bool enable = row.Checked;
  if (!IsEntryFileName(row.Name)) {
    report_.ShowFailure(NotAnEntryText(row.Name));
    return;
  }
  if (targetFolder.empty()) return;  // no known folder to move to: leave the file where it is
  const std::string target = targetFolder + "\\" + row.Name;
  if (TargetFileDiffers(row, target)) return;
  if (const ErrorCode rc = platform_.FileCopy(row.Path, target); rc != ERROR_SUCCESS) {
    if (platform_.FileExists(targetFolder))
      report_.ShowFailure(FileInTheWayText(row.Name, enable, targetFolder));
    else
      report_.ShowSystemError(rc, row.Path);
    return;
  }
  if (const ErrorCode rc = platform_.FileDelete(row.Path); rc != ERROR_SUCCESS)
    report_.ShowFailure(InBothPlacesText(row.Name, targetFolder, FolderOf(row), platform_.SystemErrorText(rc)));
}

}  // namespace kestrun
