// How the store's changes reach the journal: before each change, with one warning per operation
// when a move cannot be journalled, and a refusal when a removal cannot be.
#include "store/StartupStore.h"

namespace kestrun {

std::string StartupStore::NativeKeyPath(const LocationInfo& location, const char* key) {
  if (location.view != RegistryView::Bits32) return key;
  return "\\Software\\WOW6432Node" + std::string(key).substr(std::string("\\Software").size());
}

bool StartupStore::JournalChange(JournalRecord& record, bool mayGoWithout, JournalSide* backup) {
  ErrorCode rc = journal_.Prepare(record);
  if (rc == ERROR_SUCCESS && backup) rc = journal_.KeepBackup(record, *backup);
  if (rc == ERROR_SUCCESS) rc = journal_.Append(record);
  if (rc == ERROR_SUCCESS) return true;
  if (!mayGoWithout) {
    report_.ShowRemoveRefused(rc, record.name, journal_.Folder());
    return false;
  }
  if (!journalWarned_) report_.ShowJournalWarning(rc, journal_.Folder());
  journalWarned_ = true;
  return true;
}

}  // namespace kestrun
