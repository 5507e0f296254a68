#pragma once
// The startup entry store: scans the twelve places into rows, applies changed check marks, removes
// an entry. It owns the objects the operations share (registry object, folder paths) for the life
// of its owner, the main window or the console tool.
#include <string>
#include <vector>

#include "store/ErrorReport.h"
#include "store/Locations.h"
#include "store/Tkstartupentry.h"
#include "store/platform/Registry.h"

namespace kestrun {

// One row of the list: what the list view shows and what the operations act on.
struct StartupRow {
  std::string Name;  // value name or file name
  std::string Path;  // value text or full file path
  bool Checked;      // the user's wish; set by the scan exactly when Record is enabled
  TKStartupEntry Record;
  RegValue scanned{};  // registry entries: the value as the scan read it, so a move can tell a change
};
using StartupRows = std::vector<StartupRow>;

struct StartupFolders {
  std::string StartupDir;
  std::string CommonStartupDir;
  std::string DisabledStartupDir;
  std::string DisabledCommonStartupDir;
};

class StartupStore {
 public:
  StartupStore(IPlatform& platform, IErrorReport& report);

  // Empties rows and refills them from the twelve places, in scan order.
  void LoadStartupList(StartupRows& rows);
  // Moves every entry whose check mark differs from its record; a failed write raises ERegistryError.
  void ApplyCheckChanges(const StartupRows& rows);
  // Deletes the row's own value or file, nothing else.
  void RemoveEntry(const StartupRow& row);
  // Leaves the registry object at the machine hive, which closes a key left open under the user's.
  void ReleaseUserKey();

  // The folder paths the last scan read; a skipped place keeps its previous path.
  [[nodiscard]] const StartupFolders& Folders() const { return folders_; }

 private:
  void ScanRegistryPlace(const LocationInfo& location, bool enabled, StartupRows& rows);
  void ScanFolderPlace(const LocationInfo& location, bool enabled, StartupRows& rows);
  std::string ReadStartupFolder(const LocationInfo& location);
  bool AppendFolderRows(const std::string& folder, bool enabled, std::int32_t location,
                        StartupRows& rows);
  void MoveRegistryValue(const LocationInfo& location, const StartupRow& row);
  void MoveStartupFile(const StartupRow& row, const std::string& targetFolder);
  bool TargetFileDiffers(const StartupRow& row, const std::string& target);

  IPlatform& platform_;   // not owned
  IErrorReport& report_;  // not owned
  RegistryAccess Registry;            // shared by the scan, apply and remove
  std::vector<RegValue> ValueNames;   // scratch: one key's values at a time, reused across scans
  StartupFolders folders_;
};

}  // namespace kestrun
