// Deleting the one value or file a row stands for.
#include "store/StartupStore.h"

namespace kestrun {

void StartupStore::RemoveEntry(const StartupRow& row) {
  const std::int32_t enabled = row.Record.GetEnabled();
  const LocationInfo* location = FindLocation(row.Record.GetLocation());
  if (!location || (enabled != 0 && enabled != 1)) return;
  if (location->isFolder) {
    if (const ErrorCode rc = platform_.FileDelete(row.Path); rc != ERROR_SUCCESS)
      report_.ShowSystemError(rc, row.Path);
    return;
  }
  Registry.SetRoot(location->hive);
  if (!Registry.OpenKey(enabled ? location->liveKey : location->disabledKey, false)) return;
  if (Registry.ValueExists(row.Name)) Registry.DeleteValue(row.Name);
}

}  // namespace kestrun
