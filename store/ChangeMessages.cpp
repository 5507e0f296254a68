// The sentences the store reports when a change is refused or left half done.
#include "store/ChangeMessages.h"

#include "base/Texts.h"
#include "store/ErrorReport.h"
#include "store/TextIds.h"

namespace kestrun {

std::string AdminRightsText() { return Text(IDS_ADMIN_RIGHTS); }

bool IsRightsRefusal(const LocationInfo& location, ErrorCode code) {
  return code == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE;
}

std::string FailureReason(IPlatform& platform, const LocationInfo& location, ErrorCode code) {
  return IsRightsRefusal(location, code) ? AdminRightsText() : platform.SystemErrorText(code);
}

std::string ChangedSinceScanText(const std::string& name) { return Text(IDS_CHANGED_SINCE_SCAN, {name}); }

std::string AlreadyThereText(const std::string& name) { return Text(IDS_ALREADY_THERE, {name}); }

std::string NotMovedText(const std::string& name, bool enable) {
  return Text(enable ? IDS_NOT_ENABLED : IDS_NOT_DISABLED, {name});
}

std::string NotRemovedText(const std::string& name) { return Text(IDS_NOT_REMOVED, {name}); }

std::string InBothPlacesText(const std::string& name, const std::string& copiedTo, const std::string& leftIn) {
  return Text(IDS_IN_BOTH_PLACES, {name, copiedTo, leftIn});
}

std::string FileInTheWayText(const std::string& name, bool enable, const std::string& folder) {
  return Text(enable ? IDS_FILE_IN_THE_WAY_ENABLE : IDS_FILE_IN_THE_WAY_DISABLE, {name, folder});
}

std::string NotAnEntryText(const std::string& name) { return Text(IDS_NOT_AN_ENTRY, {name}); }

std::string JournalWarningSentence(const std::string& folder) { return Text(IDS_JOURNAL_WARNING, {folder}); }

std::string RemoveRefusedSentence(const std::string& name, const std::string& folder) {
  return Text(IDS_REMOVE_REFUSED, {name, folder});
}

std::string NotReplacedSentence(const std::string& name, const std::string& folder) {
  return Text(IDS_NOT_REPLACED, {name, folder});
}

std::string FailureLine(const Failure& failure) {
  return failure.why.empty() ? failure.what : failure.what + ": " + failure.why;
}

}  // namespace kestrun
