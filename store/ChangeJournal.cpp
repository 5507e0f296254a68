// Before each change its record; one warning per operation when a move cannot be journalled, a refusal
// when a removal cannot be; and a failure line for a recorded change that did not happen.
#include "store/ChangeJournal.h"

#include "store/ChangeMessages.h"

namespace kestrun {

bool JournalChange(StoreContext& store, JournalRecord& record, bool mayGoWithout, JournalSide* backup) {
  Journal& journal = store.JournalOf(record.location);
  store.unjournalled.reset();
  ErrorCode rc = journal.Prepare(record);
  record.group = store.actionGroup;  // one undo step reverses all the records of one operation
  if (rc == ERROR_SUCCESS && backup) rc = journal.KeepBackup(record, *backup);
  if (rc == ERROR_SUCCESS) rc = journal.Append(record);
  if (rc == ERROR_SUCCESS) {
    if (!store.actionGroup) store.actionGroup = record.id;
    return true;
  }
  journal.Release();
  record.id = 0;
  // Only an administrator can make the machine's journal: the change itself wants the same rights.
  const bool wantsRights = journal.IsMachine() && (rc == ERROR_ACCESS_DENIED || rc == ERROR_INVALID_OWNER);
  if (!mayGoWithout && wantsRights) {
    store.report.ShowFailure(NotRemovedText(record.name, kAdminRightsText));
  } else if (!mayGoWithout) {
    store.report.ShowRemoveRefused(rc, record.name, journal.Folder(), journal.ErrorText(rc));
  } else {
    store.unjournalled = StoreContext::Unjournalled{rc, journal.Folder(), journal.ErrorText(rc)};
  }
  return mayGoWithout;
}

void ChangeOutcome::Done() {
  done_ = true;
  if (record_.id != 0 || !store_.unjournalled || store_.journalWarned) return;
  store_.report.ShowJournalWarning(store_.unjournalled->code, store_.unjournalled->folder, store_.unjournalled->why);
  store_.journalWarned = true;
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
    Journal& journal = store_.JournalOf(failed.location);
    if (journal.Prepare(failed) == ERROR_SUCCESS) journal.Append(failed);
  } catch (...) {
  }
}

}  // namespace kestrun
