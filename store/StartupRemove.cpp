// A removal is journalled with what undo needs before anything is deleted (the kinds see to that);
// the flag goes with the entry, so that no orphan switch waits for a program that comes back.
#include "store/StartupRemove.h"

#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StartupApproved.h"
#include "store/StoreContext.h"

namespace kestrun {

bool RemoveEntry(Action& action, const StartupRow& row) {
  const std::int32_t enabled = row.record.GetEnabled();
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location || (enabled != 0 && enabled != 1)) return false;
  const EntryKind& kind = KindOf(*location);
  if (!kind.Remove(action, *location, row)) return false;
  // A flag still speaks for an entry of that name in the other place.
  if (location->approvedKey && !kind.InOtherPlace(action, *location, row)) DeleteApproval(action, *location, row.name);
  return true;
}

}  // namespace kestrun
