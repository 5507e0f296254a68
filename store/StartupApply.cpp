// Moving entries between their live and disabled places, as the check marks ask.
#include "store/StartupStore.h"

namespace kestrun {
namespace {

bool IsStringType(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

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
      MoveStartupFile(row.Path, wanted ? live : parked, row.Name);
    } else {
      const char* from = wanted ? location->disabledKey : location->liveKey;
      const char* to = wanted ? location->liveKey : location->disabledKey;
      MoveRegistryValue(location->hive, from, to, row.Name, row.Path);
    }
  }
}

void StartupStore::MoveRegistryValue(HKEY hive, const std::string& sourceKey, const std::string& targetKey,
                                      const std::string& name, const std::string& text) {
  Registry.SetRoot(hive);
  if (!Registry.OpenKey(sourceKey, false)) return;
  const std::optional<RegValue> source = Registry.ReadValue(name);
  if (!source) return;  // changed by someone else since the scan: the rescan shows the truth
  // The moved value keeps its type (an expandable string must stay expandable) and the row's text;
  // when that text is what the key holds, its bytes move untouched (a NUL inside or none at the end).
  RegValue moved{name, source->type, source->data};
  if (IsStringType(source->type) && DecodeStringValue(*source) != text) moved.data = text + '\0';
  // Target first: the source goes only once the entry is safe in its new place, so a failure at
  // any step leaves it in one place or both, never in none.
  if (!Registry.OpenKey(targetKey, true)) return;
  Registry.WriteValue(moved);
  if (Registry.OpenKey(sourceKey, false)) Registry.DeleteValue(name);
}

void StartupStore::MoveStartupFile(const std::string& source, const std::string& targetFolder,
                                    const std::string& fileName) {
  if (targetFolder.empty()) return;  // no known folder to move to: leave the file where it is
  if (const ErrorCode rc = platform_.FileCopy(source, targetFolder + "\\" + fileName); rc != ERROR_SUCCESS) {
    report_.ShowSystemError(rc, source);
    return;
  }
  if (const ErrorCode rc = platform_.FileDelete(source); rc != ERROR_SUCCESS) report_.ShowSystemError(rc, source);
}

}  // namespace kestrun
