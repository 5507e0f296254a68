#pragma once
// Undoing a journalled change: the entry goes back to where it was, with its exact type and bytes
// (registry) or its exact file, and the undo is journalled like any change.
#include <string>

#include "store/StoreContext.h"

namespace kestrun {

struct UndoResult {
  bool done = false;
  std::string reason;  // why it was refused or failed
};

// Refused, with the reason, when the entry is no longer as the change left it or something lies
// where it would go back to.
UndoResult UndoChange(StoreContext& store, const JournalRecord& change);

}  // namespace kestrun
