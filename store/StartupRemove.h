#pragma once
// Deleting the one value or file a row stands for, and its StartupApproved flag.
#include "store/StartupRow.h"
#include "store/StoreContext.h"

namespace kestrun {

// Nothing is deleted unless the journal first holds what undo needs. The flag goes too, unless the
// name lies in the location's other place.
void RemoveEntry(StoreContext& store, const StartupRow& row);

}  // namespace kestrun
