// The sentences the store reports when a change is refused or left half done.
#include "store/ChangeMessages.h"

#include "base/Texts.h"
#include "store/ErrorReport.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

const char* Verb(bool enable) { return enable ? "enabled" : "disabled"; }

}  // namespace

bool IsRightsRefusal(const LocationInfo& location, ErrorCode code) {
  return code == ERROR_ACCESS_DENIED && location.hive == HKEY_LOCAL_MACHINE;
}

std::string FailureReason(IPlatform& platform, const LocationInfo& location, ErrorCode code) {
  return IsRightsRefusal(location, code) ? kAdminRightsText : platform.SystemErrorText(code);
}

std::string ChangedSinceScanText(const std::string& name) { return Text(IDS_CHANGED_SINCE_SCAN, {name}); }

std::string AlreadyThereText(const std::string& name) {
  return "An entry named " + Quoted(name) +
         " is already in the place it would move to; remove one of them first.";
}

std::string NotMovedText(const std::string& name, bool enable) { return Quoted(name) + " could not be " + Verb(enable); }

std::string NotRemovedText(const std::string& name) { return Quoted(name) + " could not be removed"; }

std::string InBothPlacesText(const std::string& name, const std::string& copiedTo, const std::string& leftIn) {
  return Quoted(name) + " is now in both places: it was copied to " + copiedTo + ", but could not be deleted from " +
         leftIn;
}

std::string FileInTheWayText(const std::string& name, bool enable, const std::string& folder) {
  return Quoted(name) + " could not be " + Verb(enable) + ": the folder " + folder +
         " cannot be used, a file of that name is in the way.";
}

std::string NotAnEntryText(const std::string& name) {
  return Quoted(name) + " is not an entry of its folder (a file name cannot hold \\ or /); it was not changed.";
}

std::string JournalWarningSentence(const std::string& folder) {
  return "the journal in " + folder + " could not be written: the change was made, but cannot be undone";
}

std::string RemoveRefusedSentence(const std::string& name, const std::string& folder) {
  return Quoted(name) + " was not removed: the journal in " + folder +
         " could not keep what undoing the removal needs";
}

std::string NotReplacedSentence(const std::string& name, const std::string& folder) {
  return Quoted(name) + " was not replaced: the journal in " + folder +
         " could not keep a copy of the shortcut there, which undoing would need";
}

std::string FailureLine(const Failure& failure) {
  return failure.why.empty() ? failure.what : failure.what + ": " + failure.why;
}

}  // namespace kestrun
