// The store's one way in: the scan order of the places, and each change starting a fresh operation
// (one journal warning at most) before its unit does the work.
#include "store/StartupStore.h"

#include "store/StartupMoves.h"
#include "store/StartupRemove.h"
#include "store/StartupScan.h"

namespace kestrun {

StartupStore::StartupStore(IPlatform& platform, IErrorReport& report, std::string program)
    : context_(platform, report, std::move(program)) {}

void StartupStore::ReleaseUserKey() { context_.Registry.SetRoot(HKEY_LOCAL_MACHINE); }

void StartupStore::LoadStartupList(StartupRows& rows) {
  rows.clear();
  // The first six: all live places first, then all disabled places, in the same order of locations.
  const std::span<const LocationInfo> all = Locations();
  for (const bool enabled : {true, false})
    for (const LocationInfo& location : all.first(kFirstLocations)) ScanPlace(context_, location, enabled, rows);
  // The later ones follow, each live place with its disabled place.
  for (const LocationInfo& location : all.subspan(kFirstLocations)) {
    ScanPlace(context_, location, true, rows);
    ScanPlace(context_, location, false, rows);
  }
}

void StartupStore::ApplyCheckChanges(const StartupRows& rows) {
  context_.journalWarned = false;
  for (const StartupRow& row : rows) {
    // The scan ticked exactly the rows Windows will start: only the user's changes differ.
    if (!MarkChanged(row)) continue;
    context_.actionGroup = 0;
    MoveEntry(context_, row, row.checked);
  }
}

void StartupStore::ApplyChange(const StartupRow& row, bool enable) {
  context_.actionGroup = 0;
  MoveEntry(context_, row, enable);
}

void StartupStore::RemoveEntry(const StartupRow& row) {
  context_.journalWarned = false;
  context_.actionGroup = 0;
  kestrun::RemoveEntry(context_, row);
}

CreateShortcutResult StartupStore::CreateShortcut(const std::string& target, const std::string& displayName) {
  context_.journalWarned = false;
  context_.actionGroup = 0;
  return kestrun::CreateShortcut(context_, target, displayName, false);
}

CreateShortcutResult StartupStore::PlanShortcut(const std::string& target, const std::string& displayName) {
  return kestrun::CreateShortcut(context_, target, displayName, true);
}

UndoResult StartupStore::Undo(const JournalRecord& change) {
  context_.journalWarned = false;
  context_.actionGroup = 0;
  return UndoChange(context_, change);
}

UndoResult StartupStore::UndoAction(const std::vector<const JournalRecord*>& steps) {
  context_.journalWarned = false;
  context_.actionGroup = 0;
  for (const JournalRecord* step : steps)
    if (UndoResult result = UndoChange(context_, *step); !result.done) return result;
  return {true, {}};
}

}  // namespace kestrun
