// The store's shared state and the scan of every place.
#include "store/StartupStore.h"

namespace kestrun {
namespace {

std::string& FolderField(StartupFolders& folders, std::int32_t location, bool enabled) {
  if (location == slUserStartupFolder) return enabled ? folders.StartupDir : folders.DisabledStartupDir;
  return enabled ? folders.CommonStartupDir : folders.DisabledCommonStartupDir;
}

}  // namespace

bool StartsAtLogOn(const StartupRow& row) {
  return row.record.GetEnabled() == 1 && row.approved != Approval::Off;
}

bool SwitchedOffByWindows(const StartupRow& row) {
  return row.record.GetEnabled() == 1 && row.approved == Approval::Off;
}

StartupStore::StartupStore(IPlatform& platform, IErrorReport& report, std::string program)
    : platform_(platform), report_(report), Registry(platform), journal_(platform, std::move(program)) {}


void StartupStore::ReleaseUserKey() { Registry.SetRoot(HKEY_LOCAL_MACHINE); }

void StartupStore::LoadStartupList(StartupRows& rows) {
  rows.clear();
  const auto scan = [&](const LocationInfo& location, bool enabled) {
    const size_t first = rows.size();
    if (location.isFolder)
      ScanFolderPlace(location, enabled, rows);
    else
      ScanRegistryPlace(location, enabled, rows);
    ReadApprovals(location, rows, first);
  };
  // The first six: all live places first, then all disabled places, in the same order of locations.
  const std::span<const LocationInfo> all = Locations();
  for (const bool enabled : {true, false})
    for (const LocationInfo& location : all.first(kFirstLocations)) scan(location, enabled);
  // The later ones follow, each live place with its disabled place.
  for (const LocationInfo& location : all.subspan(kFirstLocations)) {
    scan(location, true);
    scan(location, false);
  }
}

void StartupStore::ScanRegistryPlace(const LocationInfo& location, bool enabled, StartupRows& rows) {
  Registry.SetRoot(location.hive, location.view);
  if (!Registry.OpenKey(enabled ? location.liveKey : location.disabledKey, false)) return;
  Registry.GetValues(ValueNames);
  for (RegValue& value : ValueNames) {
    // A number or binary value is no command: it is not an entry, and must not stop the scan.
    if (!ReadsAsString(value)) continue;
    std::string name = value.name, path = DecodeStringValue(value);
    // The scratch list is refilled by the next place: its values move into their rows.
    rows.push_back({std::move(name), std::move(path), enabled, TKStartupEntry(enabled, location.code),
                    std::move(value)});
  }
}

std::string StartupStore::ReadStartupFolder(const LocationInfo& location) {
  Registry.SetRoot(location.hive);
  if (!Registry.OpenKey(kShellFoldersKey, false)) return {};
  return Registry.ReadString(location.folderValue);
}

void StartupStore::ScanFolderPlace(const LocationInfo& location, bool enabled, StartupRows& rows) {
  const std::string startup = ReadStartupFolder(location);
  if (startup.empty()) return;  // the stored path keeps what the last scan found
  // A relative path would mean the current directory: never list, make or move anything there.
  if (!IsFullPath(startup)) {
    if (enabled)  // once a scan, not again for the disabled place
      report_.ShowFailure("The " + std::string(location.folderValue) + " folder named in Shell Folders, '" +
                          startup + "', is not a full path: its entries are not listed.");
    return;
  }
  const std::string folder = enabled ? startup : DisabledFolderOf(startup);
  FolderField(folders_, location.code, enabled) = folder;
  if (AppendFolderRows(folder, enabled, location.code, rows) || enabled) return;
  // The disabled folder is missing: make it now, hidden, so that disabling has somewhere to go.
  // A user who may not write the all-users folders is not told so at every scan: a change that
  // needs the folder tries again, and says what to do.
  if (const ErrorCode rc = platform_.CreateFolder(folder); rc != ERROR_SUCCESS) {
    if (!(rc == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE)) report_.ShowSystemError(rc, folder);
  } else {
    platform_.SetAttributes(folder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
  }
}

bool StartupStore::AppendFolderRows(const std::string& folder, bool enabled, std::int32_t location,
                                     StartupRows& rows) {
  std::vector<FolderEntry> entries;
  if (platform_.ListFolder(folder, entries) != ERROR_SUCCESS) return false;
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    if (!IsEntryFileName(entry.name)) continue;  // its path would lead somewhere else
    rows.push_back({entry.name, folder + "\\" + entry.name, enabled, TKStartupEntry(enabled, location), {}});
  }
  return true;
}

}  // namespace kestrun
