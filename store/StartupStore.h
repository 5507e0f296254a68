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
struct TStartupRow {
  std::string Name;  // value name or file name
  std::string Path;  // value text or full file path
  bool Checked;      // the user's wish; set by the scan exactly when Record is enabled
  TKStartupEntry Record;
};
using TStartupRows = std::vector<TStartupRow>;

struct TStartupFolders {
  std::string StartupDir;
  std::string CommonStartupDir;
  std::string DisabledStartupDir;
  std::string DisabledCommonStartupDir;
};

class TStartupStore {
 public:
  TStartupStore(IPlatform& platform, IErrorReport& report);

  // Empties rows and refills them from the twelve places, in scan order.
  void LoadStartupList(TStartupRows& rows);
  // Moves every entry whose check mark differs from its record; a failed write raises ERegistryError.
  void ApplyCheckChanges(const TStartupRows& rows);
  // Deletes the row's own value or file, nothing else.
  void RemoveEntry(const TStartupRow& row);

  TRegistry Registry;                 // shared by the scan, apply and remove
  std::vector<RegValue> ValueNames;   // scratch: one key's values at a time, reused across scans
  TStartupFolders Folders;            // set by the scan; a skipped place keeps its previous path

 private:
  void ScanRegistryPlace(const LocationInfo& location, bool enabled, TStartupRows& rows);
  void ScanFolderPlace(const LocationInfo& location, bool enabled, TStartupRows& rows);
  std::string ReadStartupFolder(const LocationInfo& location);
  bool AppendFolderRows(const std::string& folder, bool enabled, std::int32_t location,
                        TStartupRows& rows);
  void MoveRegistryValue(HKEY hive, const std::string& sourceKey, const std::string& targetKey,
                         const std::string& name, const std::string& text);
  void MoveStartupFile(const std::string& source, const std::string& targetFolder,
                       const std::string& fileName);

  IPlatform& Platform_;   // not owned
  IErrorReport& Report_;  // not owned
};

}  // namespace kestrun
