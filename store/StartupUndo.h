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

// The records of one undo step, newest first: each is reversed, or the step stops at the first that
// cannot be, said through the action with the record and the reason. True when all were reversed.
bool UndoSteps(Action& action, const std::vector<const JournalRecord*>& steps);

}  // namespace kestrun
