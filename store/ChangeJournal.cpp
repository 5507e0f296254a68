// Before each change its record; one warning per action when a move cannot be journalled, a refusal
// when a removal cannot be; the record marked done once the change is made, and a failure line for a
// recorded change that did not happen.
#include "store/ChangeJournal.h"

#include "store/ChangeMessages.h"
#include "store/EntryKind.h"
#include "store/PlaceFiles.h"
#include "store/StoreContext.h"
#include "store/UndoOverlay.h"
#include "store/UndoTrust.h"

namespace kestrun {
namespace {

// A change a stopped process left not done was made when what it left is where undo would look
// for it; a record of anything but its own place never counts.
bool ChangeWasMade(Action& action, const JournalRecord& change) {
  const EntryKind* kind = KindOf(change.location);
  return kind && (change.from || change.to) && WhyNotOwnRecord(action, change).empty() &&
         kind->CheckUndo(action, change, UndoOverlay()).empty();
}

}  // namespace

void SettleStopped(Action& action, Journal& journal) {
  journal.SettleStopped([&](const JournalRecord& stale) { return ChangeWasMade(action, stale); });
}

bool JournalChange(Action& action, JournalRecord& record, bool mayGoWithout, JournalSide* backup) {
  Journal& journal = action.Store().JournalOf(record.location);
  ActionJournal& state = action.Journalling();
  state.unjournalled.reset();
  std::int64_t& group = state.groups[&journal];
  ErrorCode rc = journal.Prepare(record, [&](const JournalRecord& stale) { return ChangeWasMade(action, stale); });
  record.group = group;  // one undo step reverses all the records of one action
  if (rc == ERROR_SUCCESS && backup) {
    const LocationInfo* location = FindLocation(record.location);
    SafeFiles source = location ? PlaceFiles(action.Platform(), *location) : journal.Files();
    rc = journal.KeepBackup(record, *backup, source);
  }
  if (rc == ERROR_SUCCESS) rc = journal.Append(record);
  if (rc == ERROR_SUCCESS) {
    if (!group) group = record.id;
    return true;
  }
  journal.Release();
  record.id = 0;
  const std::string folder = journal.Folder(), why = journal.ErrorText(rc);
  // Only an administrator can make the machine's journal: the change itself wants the same rights.
  const bool wantsRights = journal.IsMachine() && (rc == ERROR_ACCESS_DENIED || rc == ERROR_INVALID_OWNER);
  if (!mayGoWithout && wantsRights)
    action.Refuse(NotRemovedText(record.name), AdminRightsText());
  else if (!mayGoWithout && record.action == "create")
    action.Refuse(NotReplacedSentence(record.name, folder), why);
  else if (!mayGoWithout)
    action.Fail({Failure::Kind::NotJournalled, RemoveRefusedSentence(record.name, folder), why, rc, record.name, folder});
  else
    state.unjournalled = Failure{Failure::Kind::Unjournalled, JournalWarningSentence(folder), why, rc, record.name, folder};
  return mayGoWithout;
}

void ChangeOutcome::Done() {
  done_ = true;
  if (record_.id != 0) action_.Store().JournalOf(record_.location).MarkDone(record_);
  ActionJournal& state = action_.Journalling();
  if (record_.id != 0 || !state.unjournalled || state.warned) return;
  action_.Fail(*state.unjournalled);
  state.warned = true;
}

ChangeOutcome::~ChangeOutcome() {
  if (done_ || record_.id == 0) return;
  JournalRecord failed;
  failed.action = "failed";
  failed.location = record_.location;
  failed.name = record_.name;
  failed.fails = record_.id;
  // Runs while a registry error unwinds too: a journal that cannot take the line is left as it is.
  try {
    Journal& journal = action_.Store().JournalOf(failed.location);
    if (journal.Prepare(failed) == ERROR_SUCCESS) journal.Append(failed);
  } catch (...) {
  }
}

}  // namespace kestrun
