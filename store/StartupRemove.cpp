// Deleting the one value or file a row stands for.
#include "store/ChangeMessages.h"
#include "store/StartupStore.h"

namespace kestrun {

void StartupStore::RemoveEntry(const StartupRow& row) {
  const std::int32_t enabled = row.Record.GetEnabled();
  const LocationInfo* location = FindLocation(row.Record.GetLocation());
  if (!location || (enabled != 0 && enabled != 1)) return;
  if (location->isFolder) {
    if (!IsEntryFileName(row.Name)) return report_.ShowFailure(NotAnEntryText(row.Name));
    if (const ErrorCode rc = platform_.FileDelete(row.Path); rc != ERROR_SUCCESS)
      report_.ShowSystemError(rc, row.Path);
    return;
  }
  // Gone already, key and all, is what the user asked for; any other failure is said.
  Registry.SetRoot(location->hive);
  if (Registry.OpenKey(enabled ? location->liveKey : location->disabledKey, false) &&
      Registry.DeleteValue(row.Name))
    return;
  if (Registry.LastError() != ERROR_FILE_NOT_FOUND)
    report_.ShowFailure(NotRemovedText(row.Name, platform_.SystemErrorText(Registry.LastError())));
}

}  // namespace kestrun
