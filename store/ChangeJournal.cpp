// Before each change its record; one warning per operation when a move cannot be journalled, a refusal
// when a removal cannot be; and a failure line for a recorded change that did not happen.
#include "store/ChangeJournal.h"

namespace kestrun {

bool JournalChange(StoreContext& store, JournalRecord& record, bool mayGoWithout, JournalSide* backup) {
  Journal& journal = store.JournalOf(record.location);
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
  if (!mayGoWithout) {
    store.report.ShowRemoveRefused(rc, record.name, journal.Folder(), journal.ErrorText(rc));
    return false;
  }
  if (!store.journalWarned) store.report.ShowJournalWarning(rc, journal.Folder(), journal.ErrorText(rc));
  store.journalWarned = true;
  return true;
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
