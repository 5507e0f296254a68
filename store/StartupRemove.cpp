// Deleting the one value or file a row stands for, and its StartupApproved flag, after the journal
// holds what undo needs.
#include "store/StartupRemove.h"

#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/StartupApproved.h"

namespace kestrun {
namespace {


bool RemoveFile(StoreContext& store, const LocationInfo& location, const StartupRow& row) {
  JournalRecord record;
  record.action = "remove";
  record.location = row.record.GetLocation();
  record.name = row.name;
  record.from = FileSide(row.path);
  // Nothing to keep when the file is gone already: the delete below reports that as before.
  if (store.platform.FileExists(row.path) && !JournalChange(store, record, false, &*record.from)) return false;
  ChangeOutcome outcome(store, record);
  if (const ErrorCode rc = store.platform.FileDelete(row.path); rc != ERROR_SUCCESS) {
    if (IsRightsRefusal(location, rc))
      store.report.ShowFailure(NotRemovedText(row.name, kAdminRightsText));
    else
      store.report.ShowSystemError(rc, row.path);
    return false;
  }
  outcome.Done();
  return true;
}

bool LiesInOtherPlace(StoreContext& store, const LocationInfo& location, const StartupRow& row) {
  const bool live = row.record.GetEnabled() == 1;
  if (location.isFolder) {
    const bool user = location.code == slUserStartupFolder;
    const StartupFolders& folders = store.folders;
    const std::string& other = live ? (user ? folders.DisabledStartupDir : folders.DisabledCommonStartupDir)
                                    : (user ? folders.StartupDir : folders.CommonStartupDir);
    return !other.empty() && store.platform.FileExists(other + "\\" + row.name);
  }
  store.Registry.SetRoot(location.hive, location.view);
  return store.Registry.OpenKey(live ? location.disabledKey : location.liveKey, false) &&
         store.Registry.ValueExists(row.name);
}

}  // namespace

void RemoveEntry(StoreContext& store, const StartupRow& row) {
  const std::int32_t enabled = row.record.GetEnabled();
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location || (enabled != 0 && enabled != 1)) return;
  if (location->isFolder) {
    if (!IsEntryFileName(row.name)) return store.report.ShowFailure(NotAnEntryText(row.name));
    if (!RemoveFile(store, *location, row)) return;
  } else {
    // Gone already, key and all, is what the user asked for; any other failure is said.
    store.Registry.SetRoot(location->hive, location->view);
    const char* key = enabled ? location->liveKey : location->disabledKey;
    bool removed = store.Registry.OpenKey(key, false, KeyAccess::Write);
    if (removed) {
      const std::optional<RegValue> value = store.Registry.ReadValue(row.name);
      if (!value) return;
      JournalRecord record;
      record.action = "remove";
      record.location = location->code;
      record.name = row.name;
      record.from = RegistrySide(location->hive, NativeKeyPath(*location, key), *value);
      if (!JournalChange(store, record, false)) return;
      ChangeOutcome outcome(store, record);
      removed = store.Registry.DeleteValue(row.name);
      if (removed) outcome.Done();
    }
    if (!removed) {
      if (store.Registry.LastError() != ERROR_FILE_NOT_FOUND)
        store.report.ShowFailure(
            NotRemovedText(row.name, FailureReason(store.platform, *location, store.Registry)));
      return;
    }
  }
  // No orphan flag may wait for a program that installs itself again under that name; but a flag
  // still speaks for an entry of that name in the other place.
  if (location->approvedKey && !LiesInOtherPlace(store, *location, row)) DeleteApproval(store, *location, row.name);
}

}  // namespace kestrun
