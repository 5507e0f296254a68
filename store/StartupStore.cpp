// The store's one way in: the scan order of the places, and one action per thing the user does.
#include "store/StartupStore.h"

#include "base/Texts.h"
#include "store/ChangeJournal.h"
#include "store/StartupApproved.h"
#include "store/StartupMoves.h"
#include "store/StartupRemove.h"
#include "store/StartupUndo.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

void ScanPlace(Action& action, const LocationInfo& location, bool live, StartupRows& rows) {
  const size_t first = rows.size();
  KindOf(location).Scan(action, location, live, rows);
  ReadApprovals(action, location, rows, first);
}

}  // namespace

StartupStore::StartupStore(IPlatform& platform, IErrorReport& report, std::string program)
    : context_(platform, report, std::move(program)) {}

void StartupStore::LoadStartupList(StartupRows& rows) {
  rows.clear();
  Action action = Begin();
  // The first six: all live places first, then all disabled places, in the same order of locations.
  const std::span<const LocationInfo> all = Locations();
  for (const bool live : {true, false})
    for (const LocationInfo& location : all.first(kFirstLocations)) ScanPlace(action, location, live, rows);
  // The later ones follow, each live place with its disabled place.
  for (const LocationInfo& location : all.subspan(kFirstLocations)) {
    ScanPlace(action, location, true, rows);
    ScanPlace(action, location, false, rows);
  }
}

void StartupStore::ApplyCheckChanges(const StartupRows& rows) {
  Action action = Begin();
  // The scan ticked exactly the rows Windows will start: only the user's changes differ.
  for (const StartupRow& row : rows)
    if (MarkChanged(row)) MoveEntry(action, row, row.checked);
}

bool StartupStore::ApplyChange(Action& action, const StartupRow& row, bool enable) {
  return MoveEntry(action, row, enable);
}

bool StartupStore::SameBytes(const StartupRow& a, const StartupRow& b) {
  const LocationInfo* location = FindLocation(a.record.GetLocation());
  Action action = Begin();
  return location && a.record.GetLocation() == b.record.GetLocation() && KindOf(*location).SameBytes(action, *location, a, b);
}

bool StartupStore::RemoveEntry(Action& action, const StartupRow& row) { return kestrun::RemoveEntry(action, row); }

void StartupStore::RemoveEntry(const StartupRow& row) {
  Action action = Begin();
  kestrun::RemoveEntry(action, row);
}

std::string StartupStore::RemoveRefusal(const StartupRow& row) const {
  const EntryKind* kind = KindOf(row.record.GetLocation());
  return kind ? kind->RemoveRefusal(row) : std::string();
}

CreateShortcutResult StartupStore::CreateStartupShortcut(const std::string& target, const std::string& displayName) {
  Action action = Begin();
  return kestrun::CreateStartupShortcut(action, target, displayName, false);
}

CreateShortcutResult StartupStore::PlanShortcut(const std::string& target, const std::string& displayName) {
  Action action = Begin();
  return kestrun::CreateStartupShortcut(action, target, displayName, true);
}

size_t StartupStore::UndoAction(const std::vector<const JournalRecord*>& steps) {
  Action action = Begin();
  return UndoSteps(action, steps);
}

std::vector<JournalRecord> StartupStore::ReadJournal(bool machine) {
  Journal& journal = machine ? context_.machineJournal : context_.journal;
  {
    Action action = Begin();
    SettleStopped(action, journal);
  }
  std::vector<JournalRecord> records = journal.Read();
  if (!journal.Refusal().empty()) {
    Action action = Begin();
    action.Fail(MakeFailure(Failure::Kind::Warning,
                            Text(machine ? IDS_MACHINE_JOURNAL_NOT_READ : IDS_JOURNAL_NOT_READ),
                            journal.Refusal()));
  }
  return records;
}

}  // namespace kestrun
