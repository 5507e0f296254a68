#pragma once
// Undoing a journalled change: the entry goes back to where it was, with its exact type and bytes
// (registry) or its exact file, and the undo is journalled like any change.
#include <string>
#include <vector>

#include "store/Action.h"
#include "store/JournalRecord.h"

namespace kestrun {

// "#12 park 'Tool' (HKCU Run)": a change as the console tool names it.
std::string ChangeLabel(const JournalRecord& change);

// The records of one undo step, newest first, each reversed. All are checked first: one that cannot
// be undone is said through the action with its label and the reason, and none is touched (0 comes
// back). Else how many were reversed, from the first: fewer than all only when one failed while it was
// being undone, which is said likewise.
size_t UndoSteps(Action& action, const std::vector<const JournalRecord*>& steps);

}  // namespace kestrun
