// The store's shared state and the scan of the twelve places.
#include "store/StartupStore.h"

namespace kestrun {
namespace {

std::string& FolderField(TStartupFolders& folders, std::int32_t location, bool enabled) {
  if (location == slUserStartupFolder) return enabled ? folders.StartupDir : folders.DisabledStartupDir;
  return enabled ? folders.CommonStartupDir : folders.DisabledCommonStartupDir;
}

}  // namespace

TStartupStore::TStartupStore(IPlatform& platform, IErrorReport& report)
    : Registry(platform), Platform_(platform), Report_(report) {}

void TStartupStore::LoadStartupList(TStartupRows& rows) {
  rows.clear();
  // All live places first, then all disabled places, in the same order of locations.
  for (const bool enabled : {true, false}) {
    for (const LocationInfo& location : Locations()) {
      if (location.isFolder)
        ScanFolderPlace(location, enabled, rows);
      else
        ScanRegistryPlace(location, enabled, rows);
    }
  }
}

void TStartupStore::ScanRegistryPlace(const LocationInfo& location, bool enabled, TStartupRows& rows) {
  Registry.SetRoot(location.hive);
  if (!Registry.OpenKey(enabled ? location.liveKey : location.disabledKey, false)) return;
  Registry.GetValues(ValueNames);
  for (const RegValue& value : ValueNames) {
    // A number or binary value is no command: it is not an entry, and must not stop the scan.
    if (!ReadsAsString(value)) continue;
    rows.push_back({value.name, DecodeStringValue(value), enabled, TKStartupEntry(enabled, location.code)});
  }
}

std::string TStartupStore::ReadStartupFolder(const LocationInfo& location) {
  Registry.SetRoot(location.hive);
  if (!Registry.OpenKey(kShellFoldersKey, false)) return {};
  return Registry.ReadString(location.folderValue);
}

void TStartupStore::ScanFolderPlace(const LocationInfo& location, bool enabled, TStartupRows& rows) {
  const std::string startup = ReadStartupFolder(location);
  if (startup.empty()) return;  // the stored path keeps what the last scan found
  const std::string folder = enabled ? startup : DisabledFolderOf(startup);
  FolderField(Folders, location.code, enabled) = folder;
  if (AppendFolderRows(folder, enabled, location.code, rows) || enabled) return;
  // The disabled folder is missing: make it now, hidden, so that disabling has somewhere to go.
  if (const ErrorCode rc = Platform_.CreateFolder(folder); rc != ERROR_SUCCESS)
    Report_.ShowSystemError(rc, folder);
  else
    Platform_.SetAttributes(folder, FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY);
}

bool TStartupStore::AppendFolderRows(const std::string& folder, bool enabled, std::int32_t location,
                                     TStartupRows& rows) {
  std::vector<FolderEntry> entries;
  if (Platform_.ListFolder(folder, entries) != ERROR_SUCCESS) return false;
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == "..") continue;
    if (entry.attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN)) continue;
    rows.push_back({entry.name, folder + "\\" + entry.name, enabled, TKStartupEntry(enabled, location)});
  }
  return true;
}

}  // namespace kestrun
