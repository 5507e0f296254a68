#pragma once
// The sentences the store reports when a change is refused or left half done. Each names the entry
// and says what is true now; the reason, where there is one, travels beside it (Failure::why).
#include <string>

#include "store/ErrorReport.h"
#include "store/Locations.h"

namespace kestrun {

// The reason given when a change for all users is refused for want of rights: it says what to do,
// where the system would only say "Access denied".
std::string AdminRightsText();

// A change for all users refused with ERROR_ACCESS_DENIED: for want of administrator rights.
bool IsRightsRefusal(const LocationInfo& location, ErrorCode code);
// Why a change failed, as the report says it: what to do when rights are wanting, else the system's text.
std::string FailureReason(IPlatform& platform, const LocationInfo& location, ErrorCode code);

std::string ChangedSinceScanText(const std::string& name);
std::string AlreadyThereText(const std::string& name);
// enable: the change was to switch the entry on (else off).
std::string NotMovedText(const std::string& name, bool enable);
std::string NotRemovedText(const std::string& name);
std::string InBothPlacesText(const std::string& name, const std::string& copiedTo, const std::string& leftIn);
std::string FileInTheWayText(const std::string& name, bool enable, const std::string& folder);
std::string NotAnEntryText(const std::string& name);

// The two journal failures' sentences, each without its reason.
std::string JournalWarningSentence(const std::string& folder);
std::string RemoveRefusedSentence(const std::string& name, const std::string& folder);
// A new shortcut not written over an old one of its name, whose copy the journal could not keep.
std::string NotReplacedSentence(const std::string& name, const std::string& folder);

}  // namespace kestrun
