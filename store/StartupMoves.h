#pragma once
// Switching one entry on or off: moving it between its live and disabled places, or switching its
// StartupApproved flag on where it lies.
#include "store/StartupRow.h"
#include "store/StoreContext.h"

namespace kestrun {

// A failed write raises ERegistryError; every other failure is reported and leaves the entry in one
// place or both, never in none.
void MoveEntry(StoreContext& store, const StartupRow& row, bool enable);

}  // namespace kestrun
