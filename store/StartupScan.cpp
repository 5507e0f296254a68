// Reading one place into rows. A value that is no string and a file that cannot be an entry are passed
// over; a folder named by no full path is listed nowhere.
#include "store/StartupScan.h"

namespace kestrun {
namespace {

std::string& FolderField(StartupFolders& folders, std::int32_t location, bool enabled) {
  if (location == slUserStartupFolder) return enabled ? folders.StartupDir : folders.DisabledStartupDir;
  return enabled ? folders.CommonStartupDir : folders.DisabledCommonStartupDir;
}

void ScanRegistryPlace(StoreContext& store, const LocationInfo& location, bool enabled, StartupRows& rows) {
  store.Registry.SetRoot(location.hive, location.view);
  if (!store.Registry.OpenKey(enabled ? location.liveKey : location.disabledKey, false)) return;
  store.Registry.GetValues(store.ValueNames);
  for (RegValue& value : store.ValueNames) {
    // A number or binary value is no command: it is not an entry, and must not stop the scan.
    if (!ReadsAsString(value)) continue;
    std::string name = value.name, path = DecodeStringValue(value);
    // The scratch list is refilled by the next place: its values move into their rows.
    rows.push_back({std::move(name), std::move(path), enabled, TKStartupEntry(enabled, location.code),
                    std::move(value)});
  }
}

// A value of the wrong type is one place's fault: that place is skipped, said once a scan, and the
// other places are still listed.
std::string ReadStartupFolder(StoreContext& store, const LocationInfo& location, bool enabled) {
  store.Registry.SetRoot(location.hive);
  if (!store.Registry.OpenKey(kShellFoldersKey, false)) return {};
  try {
    return store.Registry.ReadString(location.folderValue);
  } catch (const ERegistryError& error) {
    if (enabled)
      store.report.ShowFailure("The " + std::string(location.folderValue) + " folder named in Shell Folders " +
                               "cannot be read (" + error.what() + "): its entries are not listed.");
    return {};
  }
}

bool AppendFolderRows(StoreContext& store, const std::string& folder, bool enabled, std::int32_t location,
                      StartupRows& rows) {
  std::vector<FolderEntry> entries;
  if (store.platform.ListFolder(folder, entries) != ERROR_SUCCESS) return false;
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    if (!IsEntryFileName(entry.name)) continue;  // its path would lead somewhere else
    rows.push_back({entry.name, folder + "\\" + entry.name, enabled, TKStartupEntry(enabled, location), {}});
  }
  return true;
}

void ScanFolderPlace(StoreContext& store, const LocationInfo& location, bool enabled, StartupRows& rows) {
  const std::string startup = ReadStartupFolder(store, location, enabled);
  if (startup.empty()) return;  // the stored path keeps what the last scan found
  // A relative path would mean the current directory: never list, make or move anything there.
  if (!IsFullPath(startup)) {
    if (enabled)  // once a scan, not again for the disabled place
      store.report.ShowFailure("The " + std::string(location.folderValue) + " folder named in Shell Folders, '" +
                          startup + "', is not a full path: its entries are not listed.");
    return;
  }
  const std::string folder = enabled ? startup : DisabledFolderOf(startup);
  FolderField(store.folders, location.code, enabled) = folder;
  if (AppendFolderRows(store, folder, enabled, location.code, rows) || enabled) return;
  // The disabled folder is missing: make it now, hidden, so that disabling has somewhere to go.
  // A user who may not write the all-users folders is not told so at every scan: a change that
  // needs the folder tries again, and says what to do.
  if (const ErrorCode rc = store.platform.CreateFolder(folder); rc != ERROR_SUCCESS) {
    if (!(rc == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE)) store.report.ShowSystemError(rc, folder);
  } else {
    store.platform.SetAttributes(folder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  }
}

}  // namespace

void ScanPlace(StoreContext& store, const LocationInfo& location, bool enabled, StartupRows& rows) {
  const size_t first = rows.size();
  if (location.isFolder)
    ScanFolderPlace(store, location, enabled, rows);
  else
    ScanRegistryPlace(store, location, enabled, rows);
  ReadApprovals(store, location, rows, first);
}

}  // namespace kestrun
