#pragma once
// The journal read as a graph of changes and the undos that reverse them.
#include <cstdint>
#include <map>
#include <vector>

#include "store/JournalRecord.h"

namespace kestrun {

// For each change that stands undone: the id of the undo that reversed it (an undo that was itself
// undone no longer counts, nor one that does not mirror the change it names).
std::map<std::int64_t, std::int64_t> UndoneBy(const std::vector<JournalRecord>& records);

// The records of the operation change belongs to that do not stand undone, newest first: what one
// undo reverses. Records from before groups were written are each an operation of their own.
std::vector<const JournalRecord*> ActionSteps(const std::vector<JournalRecord>& records,
                                              const std::map<std::int64_t, std::int64_t>& undone,
                                              const JournalRecord& change);

}  // namespace kestrun
