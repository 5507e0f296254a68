#pragma once
// Deleting the one entry a row stands for (its kind's work), and its StartupApproved flag.
#include "store/Action.h"
#include "store/StartupRow.h"

namespace kestrun {

// Deletes the row's own entry, and its flag unless the name lies in the location's other place too.
// True when the entry was deleted now.
bool RemoveEntry(Action& action, const StartupRow& row);

}  // namespace kestrun
