#pragma once
// The startup entry store: the one object the window and the console tool change entries through.
// It scans the startup places into rows, switches entries on and off, removes them, creates shortcuts
// and undoes journalled changes. Each user action is one Action (store/Action.h): the changes made
// through it share one undo step and one journal warning, and say their failures through it. Each
// kind of entry is a unit of its own (store/EntryKind.h).
#include <string>
#include <vector>

#include "store/Action.h"
#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StartupRow.h"
#include "store/StartupShortcut.h"
#include "store/StoreContext.h"

namespace kestrun {

class StartupStore {
 public:
  // program names who made the changes in the journal: "window" or "console".
  StartupStore(IPlatform& platform, IErrorReport& report, std::string program = "window");

  // One user action, for several changes that are one to the user (a console command).
  Action Begin() { return Action(context_); }

  // Empties rows and refills them from every place, in scan order: the first six locations' live
  // places, then their disabled places, then each later location's live and disabled place.
  void LoadStartupList(StartupRows& rows);
  // One Save: changes every entry whose check mark differs from what the scan found. A failed write
  // raises ERegistryError; a change refused is said once for its row, and the walk goes on.
  void ApplyCheckChanges(const StartupRows& rows);
  // One entry switched on (moved back, or its StartupApproved flag set on) or off (parked); true
  // when it took that state.
  bool ApplyChange(Action& action, const StartupRow& row, bool enable);
  // The entry of one name in its place's two places, with the same bytes in each: a move stopped half
  // way, which a move either way finishes.
  bool SameBytes(const StartupRow& a, const StartupRow& b);
  // Deletes the row's own value or file, and its StartupApproved flag unless the name lies in the
  // location's other place too; true when it was deleted now.
  bool RemoveEntry(Action& action, const StartupRow& row);
  void RemoveEntry(const StartupRow& row);  // one Remove
  // "" when RemoveEntry may delete the row's entry; else why entries of its kind are never deleted here.
  [[nodiscard]] std::string RemoveRefusal(const StartupRow& row) const;
  // A shortcut to target named displayName in the per-user Startup folder, journalled.
  CreateShortcutResult CreateStartupShortcut(const std::string& target, const std::string& displayName);
  // What CreateStartupShortcut would do, with nothing written: its outcome and the link's path.
  CreateShortcutResult PlanShortcut(const std::string& target, const std::string& displayName);
  // One undo: the records of one operation (ActionSteps), newest first, each reversed byte for byte
  // and journalled, all checked before any is touched (store/StartupUndo.h); how many were reversed.
  size_t UndoAction(const std::vector<const JournalRecord*>& steps);
  // A journal's records (store/Journal.h); a machine journal that cannot be trusted or read is said.
  std::vector<JournalRecord> ReadJournal(bool machine);

  Journal& UserJournal() { return context_.journal; }
  Journal& MachineJournal() { return context_.machineJournal; }
  // The folder paths the last scan read; a skipped place keeps its previous path.
  [[nodiscard]] const StartupFolders& Folders() const { return context_.folders; }

 private:
  StoreContext context_;
};

}  // namespace kestrun
