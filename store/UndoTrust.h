#pragma once
// What undo will act on: only a record that names its own place's keys, folders and backup. Any
// program of the user can write the journal, and undo writes with the highest rights the user has.
#include <string>

#include "store/Action.h"
#include "store/JournalRecord.h"

namespace kestrun {

// Why the record does not name its own place's entry exactly; "" when it does.
std::string WhyNotOwnRecord(Action& action, const JournalRecord& record);

}  // namespace kestrun
