// Moving entries between their live and parking places, and switching StartupApproved flags on, as
// the check marks ask. A move reaches exactly the entry the row was scanned from, or it is refused
// with the reason; it never overwrites a different entry, and it never leaves an entry in no place.
#include "store/StartupMoves.h"

#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StartupApproved.h"
#include "store/StoreContext.h"

namespace kestrun {

bool MoveEntry(Action& action, const StartupRow& row, bool enable) {
  const LocationInfo* location = FindLocation(row.record.GetLocation());
  if (!location) return false;
  const std::int32_t enabled = row.record.GetEnabled();
  if (enable && enabled == 1) {
    // Live but switched off by Windows: switch it on where it lies.
    if (row.approved == Approval::Off) SwitchOnApproval(action, *location, row.name);
    return true;
  }
  // Switching off parks a live entry and leaves any flag as it is.
  if (enabled != (enable ? 0 : 1)) return false;
  if (!KindOf(*location).Move(action, *location, row, enable)) return false;
  // Back in its live place under an old disabling flag, Windows would still keep it off.
  if (!enable) return true;
  const std::optional<RegValue> flag = ReadApproval(action, *location, row.name);
  if (flag && ApprovalOf(*flag) == Approval::Off) SwitchOnApproval(action, *location, row.name);
  return true;
}

}  // namespace kestrun
