#pragma once
// Switching one entry on or off: moving it between its live and parking places (its kind's work), or
// switching its StartupApproved flag on where it lies.
#include "store/Action.h"
#include "store/StartupRow.h"

namespace kestrun {

// A failed write raises ERegistryError; every other failure is said through the action and leaves the
// entry in one place or both, never in none. True when the entry took the asked state.
bool MoveEntry(Action& action, const StartupRow& row, bool enable);

}  // namespace kestrun
