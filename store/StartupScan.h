#pragma once
// Reading one place of a location into rows: a registry key's string values, or a Startup folder's
// files, with the StartupApproved flags that speak for them.
#include "store/Locations.h"
#include "store/StartupRow.h"
#include "store/StoreContext.h"

namespace kestrun {

// Appends the place's entries; enabled: the live place, else the disabled one.
void ScanPlace(StoreContext& store, const LocationInfo& location, bool enabled, StartupRows& rows);

}  // namespace kestrun
