#pragma once
// The startup entry store: scans the startup places into rows, applies changed check marks, removes
// an entry. It owns the objects the operations share (registry object, folder paths) for the life
// of its owner, the main window or the console tool.
#include <optional>
#include <string>
#include <vector>

#include "store/ErrorReport.h"
#include "store/Journal.h"
#include "store/Locations.h"
#include "store/StartupApproved.h"
#include "store/Tkstartupentry.h"
#include "store/platform/Registry.h"

namespace kestrun {

// One row of the list: what the list view shows and what the operations act on.
struct StartupRow {
  std::string name;  // value name or file name
  std::string path;  // value text or full file path
  bool checked;      // the user's wish; set by the scan exactly when StartsAtLogOn
  TKStartupEntry record;
  RegValue scanned{};  // registry entries: the value as the scan read it, so a move can tell a change
  Approval approved = Approval::None;  // the entry's StartupApproved flag, as the scan read it
};
using StartupRows = std::vector<StartupRow>;

// Windows starts it at the next log-on: it lies in its live place and no flag switches it off.
bool StartsAtLogOn(const StartupRow& row);
// It lies in its live place, but Windows' own startup settings switched it off.
bool SwitchedOffByWindows(const StartupRow& row);

struct StartupFolders {
  std::string StartupDir;
  std::string CommonStartupDir;
  std::string DisabledStartupDir;
  std::string DisabledCommonStartupDir;
};

struct UndoResult {
  bool done = false;
  std::string reason;  // why it was refused or failed
};

class StartupStore {
 public:
  // program names who made the changes in the journal: "window" or "console".
  StartupStore(IPlatform& platform, IErrorReport& report, std::string program = "window");

  // Empties rows and refills them from every place, in scan order: the first six locations' live
  // places, then their disabled places, then each later location's live and disabled place.
  void LoadStartupList(StartupRows& rows);
  // Changes every entry whose check mark differs from what the scan found; a failed write raises
  // ERegistryError. A change refused for want of rights is reported once for its row, and the walk goes on.
  void ApplyCheckChanges(const StartupRows& rows);
  // One entry switched on (moved back, or its StartupApproved flag set on) or off (parked).
  void ApplyChange(const StartupRow& row, bool enable);
  // Deletes the row's own value or file, and its StartupApproved flag unless the name lies in the
  // location's other place too.
  void RemoveEntry(const StartupRow& row);
  // Reverses one journalled change byte for byte and journals the undo. Refused, with the reason,
  // when the entry is no longer as the change left it or something lies where it would go back to.
  UndoResult Undo(const JournalRecord& change);
  Journal& GetJournal() { return journal_; }
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
  void ReadApprovals(const LocationInfo& location, StartupRows& rows, size_t first);
  // Both true when the entry reached its new place (and left the old one).
  bool MoveRegistryValue(const LocationInfo& location, const StartupRow& row, bool enable, JournalRecord record);
  bool MoveStartupFile(const LocationInfo& location, const StartupRow& row, const std::string& targetFolder,
                       bool enable, JournalRecord record);
  bool TargetFileDiffers(const StartupRow& row, const std::string& target);
  ErrorCode CopyIntoFolder(const std::string& source, const std::string& targetFolder, const std::string& target,
                           bool mayCreate);
  std::optional<RegValue> ReadApproval(const LocationInfo& location, const std::string& name);
  void SwitchOnApproval(const LocationInfo& location, const std::string& name);
  void DeleteApproval(const LocationInfo& location, const std::string& name);
  bool LiesInOtherPlace(const LocationInfo& location, const StartupRow& row);
  // A change for all users refused with ERROR_ACCESS_DENIED: for want of administrator rights.
  static bool IsRightsRefusal(const LocationInfo& location, ErrorCode code);
  // Why a change failed, as the report says it: what to do when rights are wanting, else the system's text.
  std::string FailureReason(const LocationInfo& location, ErrorCode code);
  bool RemoveFile(const LocationInfo& location, const StartupRow& row);
  // Writes the record before its change, with a copy of backup's file when given. Without
  // mayGoWithout a failure is reported as a refusal and false comes back; with it, one warning per
  // operation and true: the change goes ahead.
  bool JournalChange(JournalRecord& record, bool mayGoWithout, JournalSide* backup = nullptr);
  // A key of the location as the native registry names it (the journal and messages): a 32-bit one
  // by its WOW6432Node path.
  static std::string NativeKeyPath(const LocationInfo& location, const char* key);
  std::string CheckRegistryUndo(const JournalRecord& change);
  std::string CheckFileUndo(const JournalRecord& change);
  std::string UndoRegistry(const JournalRecord& change, JournalRecord& undo);
  std::string UndoFile(const JournalRecord& change, JournalRecord& undo);

  IPlatform& platform_;   // not owned
  IErrorReport& report_;  // not owned
  RegistryAccess Registry;            // shared by the scan, apply and remove
  std::vector<RegValue> ValueNames;   // scratch: one key's values at a time, reused across scans
  StartupFolders folders_;
  Journal journal_;
  bool journalWarned_ = false;  // within the running operation
};

}  // namespace kestrun
