#include "store/ChangeMessages.h"

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

std::string FailureReason(IPlatform& platform, const LocationInfo& location, const RegistryAccess& registry) {
  return FailureReason(platform, location, registry.LastError());
}

std::string ChangedSinceScanText(const std::string& name) {
  return Quoted(name) + " was changed by another program since the list was read. Press Refresh.";
}

std::string AlreadyThereText(const std::string& name) {
  return "An entry named " + Quoted(name) +
         " is already in the place it would move to; remove one of them first.";
}

std::string NotMovedText(const std::string& name, bool enable, const std::string& reason) {
  return Quoted(name) + " could not be " + Verb(enable) + ": " + reason;
}

std::string NotRemovedText(const std::string& name, const std::string& reason) {
  return Quoted(name) + " could not be removed: " + reason;
}

std::string InBothPlacesText(const std::string& name, const std::string& copiedTo, const std::string& leftIn,
                             const std::string& reason) {
  return Quoted(name) + " is now in both places: it was copied to " + copiedTo + ", but could not be deleted from " +
         leftIn + ": " + reason;
}

std::string FileInTheWayText(const std::string& name, bool enable, const std::string& folder) {
  return Quoted(name) + " could not be " + Verb(enable) + ": the folder " + folder +
         " cannot be used, a file of that name is in the way.";
}

std::string NotAnEntryText(const std::string& name) {
  return Quoted(name) + " is not an entry of its folder (a file name cannot hold \\ or /); it was not changed.";
}

}  // namespace kestrun
