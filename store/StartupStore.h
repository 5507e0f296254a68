#pragma once
// The startup entry store: the one object the window and the console tool change entries through.
// It scans the startup places into rows, switches entries on and off, removes them, creates shortcuts
// and undoes journalled changes; each of those is a unit of its own (StartupScan, StartupMoves,
// StartupRemove, StartupShortcut, StartupApproved, ChangeJournal, StartupUndo) over the shared
// StoreContext, which lives as long as the store's owner.
#include <string>

#include "store/Locations.h"
#include "store/StartupRow.h"
#include "store/StartupShortcut.h"
#include "store/StartupUndo.h"
#include "store/StoreContext.h"

namespace kestrun {

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
  // A shortcut to target named displayName in the per-user Startup folder, journalled.
  CreateShortcutResult CreateShortcut(const std::string& target, const std::string& displayName);
  // What CreateShortcut would do, with nothing written: its outcome and the link's path.
  CreateShortcutResult PlanShortcut(const std::string& target, const std::string& displayName);
  // Reverses one journalled change byte for byte and journals the undo. Refused, with the reason,
  // when the entry is no longer as the change left it or something lies where it would go back to.
  UndoResult Undo(const JournalRecord& change);
  // One operation's records (ActionSteps), undone as one: stops at the first that is refused.
  UndoResult UndoAction(const std::vector<const JournalRecord*>& steps);
  Journal& GetJournal() { return context_.journal; }
  Journal& GetMachineJournal() { return context_.machineJournal; }
  // Leaves the registry object at the machine hive, which closes a key left open under the user's.
  void ReleaseUserKey();

  // The folder paths the last scan read; a skipped place keeps its previous path.
  [[nodiscard]] const StartupFolders& Folders() const { return context_.folders; }

 private:
  StoreContext context_;
};

}  // namespace kestrun
