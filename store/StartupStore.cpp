// The store's one way in: the scan order of the places, and one action per thing the user does.
#include "store/StartupStore.h"

#include <exception>
#include <iterator>

#include "base/Concurrent.h"
#include "base/Texts.h"
#include "store/ChangeJournal.h"
#include "store/StartupApproved.h"
#include "store/StartupMoves.h"
#include "store/StartupRemove.h"
#include "store/StartupUndo.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

struct Place {
  const LocationInfo* location;
  bool live;
};

// The first six: all live places first, then all disabled places, in the same order of locations.
// The later ones follow, each live place with its disabled place.
std::vector<Place> ScanOrder() {
  const std::span<const LocationInfo> all = Locations();
  std::vector<Place> order;
  for (const bool live : {true, false})
    for (const LocationInfo& location : all.first(kFirstLocations)) order.push_back({&location, live});
  for (const LocationInfo& location : all.subspan(kFirstLocations)) {
    order.push_back({&location, true});
    order.push_back({&location, false});
  }
  return order;
}

// listFlags: a live place's flags are listed on a thread of their own while the place is read.
void ScanPlace(Action& action, const Place& place, StartupRows& rows, bool listFlags = false) {
  const size_t first = rows.size();
  const LocationInfo& location = *place.location;
  const auto scan = [&] { KindOf(location).Scan(action, location, place.live, rows); };
  if (!listFlags || !place.live || !location.approvedKey) {
    scan();
    return ReadApprovals(action, location, rows, first);
  }
  ApprovalList flags;
  ForEachConcurrently(2, 2, [&](std::size_t i) {
    if (i == 0) flags = ListApprovals(action.Platform(), location);
    else scan();
  });
  ReadApprovals(action, location, rows, first, std::move(flags));
}

// One place read on its own: its rows, what it said, and the exception that stopped it.
struct PlaceScan {
  StartupRows rows;
  SaidLater said;
  std::exception_ptr stopped;
};

// The places' rows in scan order, in the vector of the largest place's: a key of 100,000 values is not
// copied (its scan left room for the later places' usual few).
void JoinRows(std::vector<PlaceScan>& scans, size_t count, StartupRows& rows) {
  size_t largest = 0, total = 0;
  for (size_t i = 0; i < count; ++i) {
    total += scans[i].rows.size();
    if (scans[i].rows.size() > scans[largest].rows.size()) largest = i;
  }
  StartupRows before;
  for (size_t i = 0; i < largest; ++i)
    before.insert(before.end(), std::make_move_iterator(scans[i].rows.begin()),
                  std::make_move_iterator(scans[i].rows.end()));
  rows = std::move(scans[largest].rows);
  rows.reserve(total);
  rows.insert(rows.begin(), std::make_move_iterator(before.begin()), std::make_move_iterator(before.end()));
  for (size_t i = largest + 1; i < count; ++i) {
    rows.insert(rows.end(), std::make_move_iterator(scans[i].rows.begin()),
                std::make_move_iterator(scans[i].rows.end()));
    StartupRows().swap(scans[i].rows);
  }
}

}  // namespace

StartupStore::StartupStore(IPlatform& platform, IErrorReport& report, std::string program)
    : context_(platform, report, std::move(program)) {}

void StartupStore::LoadStartupList(StartupRows& rows) {
  rows.clear();
  const std::vector<Place> order = ScanOrder();
  const unsigned threads = context_.platform.Concurrency();
  if (threads <= 1) {
    Action action = Begin();
    for (const Place& place : order) ScanPlace(action, place, rows);
    return;
  }
  // The places share nothing: they are read side by side, each by an action of its own whose failures
  // are said afterwards, in scan order, as one after the other would have said them. A place stopped
  // by an exception ends the list there, as it would have stopped it.
  std::vector<PlaceScan> scans(order.size());
  ForEachConcurrently(order.size(), threads, [&](size_t i) {
    try {
      Action action(context_, scans[i].said);
      ScanPlace(action, order[i], scans[i].rows, true);
    } catch (...) {
      scans[i].stopped = std::current_exception();
    }
  });
  size_t count = 0;
  while (count < scans.size() && !scans[count].stopped) ++count;
  const size_t said = std::min(count + 1, scans.size());
  JoinRows(scans, said, rows);
  for (size_t i = 0; i < said; ++i) scans[i].said.SayTo(context_.report);
  if (count < scans.size()) std::rethrow_exception(scans[count].stopped);
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
