#pragma once
// Undoing a change of one registry value (an entry's, or its StartupApproved flag's): checked against
// what the journal says the change left, then put back with its exact type and bytes.
#include <string>

#include "store/Action.h"
#include "store/JournalRecord.h"
#include "store/UndoOverlay.h"

namespace kestrun {

// "" when the value is still as change left it and nothing lies where it would go back to, once the
// undos overlay stands for have run.
std::string CheckValueUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay);
// Journals undo, then puts the value back; "" when done.
std::string UndoValue(Action& action, const JournalRecord& change, JournalRecord& undo);

}  // namespace kestrun
