// Deleting the one value or file a row stands for, and its StartupApproved flag, after the journal
// holds what undo needs.
#include "store/ChangeMessages.h"
#include "store/StartupStore.h"

namespace kestrun {

void StartupStore::RemoveEntry(const StartupRow& row) {
  journalWarned_ = false;
  const std::int32_t enabled = row.record.GetEnabled();
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location || (enabled != 0 && enabled != 1)) return;
  if (location->isFolder) {
    if (!IsEntryFileName(row.name)) return report_.ShowFailure(NotAnEntryText(row.name));
    if (!RemoveFile(*location, row)) return;
  } else {
    // Gone already, key and all, is what the user asked for; any other failure is said.
    Registry.SetRoot(location->hive, location->view);
    const char* key = enabled ? location->liveKey : location->disabledKey;
    bool removed = Registry.OpenKey(key, false, KeyAccess::Write);
    if (removed) {
      const std::optional<RegValue> value = Registry.ReadValue(row.name);
      if (!value) return;
      JournalRecord record;
      record.action = "remove";
      record.location = location->code;
      record.name = row.name;
      record.from = RegistrySide(location->hive, NativeKeyPath(*location, key), *value);
      if (!JournalChange(record, false)) return;
      removed = Registry.DeleteValue(row.name);
    }
    if (!removed) {
      if (Registry.LastError() != ERROR_FILE_NOT_FOUND)
        report_.ShowFailure(NotRemovedText(row.name, FailureReason(*location, Registry.LastError())));
      return;
    }
  }
  // No orphan flag may wait for a program that installs itself again under that name; but a flag
  // still speaks for an entry of that name in the other place.
  if (location->approvedKey && !LiesInOtherPlace(*location, row)) DeleteApproval(*location, row.name);
}

bool StartupStore::RemoveFile(const LocationInfo& location, const StartupRow& row) {
  JournalRecord record;
  record.action = "remove";
  record.location = row.record.GetLocation();
  record.name = row.name;
  record.from = FileSide(row.path);
  // Nothing to keep when the file is gone already: the delete below reports that as before.
  if (platform_.FileExists(row.path) && !JournalChange(record, false, &*record.from)) return false;
  if (const ErrorCode rc = platform_.FileDelete(row.path); rc != ERROR_SUCCESS) {
    if (IsRightsRefusal(location, rc))
      report_.ShowFailure(NotRemovedText(row.name, kAdminRightsText));
    else
      report_.ShowSystemError(rc, row.path);
    return false;
  }
  return true;
}

bool StartupStore::LiesInOtherPlace(const LocationInfo& location, const StartupRow& row) {
  const bool live = row.record.GetEnabled() == 1;
  if (location.isFolder) {
    const bool user = location.code == slUserStartupFolder;
    const std::string& other = live ? (user ? folders_.DisabledStartupDir : folders_.DisabledCommonStartupDir)
                                    : (user ? folders_.StartupDir : folders_.CommonStartupDir);
    return !other.empty() && platform_.FileExists(other + "\\" + row.name);
  }
  Registry.SetRoot(location.hive, location.view);
  return Registry.OpenKey(live ? location.disabledKey : location.liveKey, false) && Registry.ValueExists(row.name);
}

}  // namespace kestrun
