// Which changes stand undone, and which records one undo step reverses.
#include "store/UndoGraph.h"

#include <algorithm>

namespace kestrun {

std::map<std::int64_t, std::int64_t> UndoneBy(const std::vector<JournalRecord>& records) {
  std::map<std::int64_t, const JournalRecord*> byId;
  for (const JournalRecord& record : records) byId.emplace(record.id, &record);
  // Only an undo that mirrors a real change counts: a hand-made line must not mark one undone.
  const auto mirrors = [&](const JournalRecord& undo) {
    const auto change = byId.find(undo.undoes);
    return undo.action == "undo" && change != byId.end() && change->first < undo.id &&
           change->second->name == undo.name && change->second->location == undo.location &&
           ((SameSide(change->second->to, undo.from) && SameSide(change->second->from, undo.to)) ||
            (change->second->replaced && SameSide(change->second->replaced, undo.to) &&
             SameSide(change->second->to, undo.replaced)));
  };
  std::vector<const JournalRecord*> newestFirst;
  for (const JournalRecord& record : records)
    if (!record.undoes || mirrors(record)) newestFirst.push_back(&record);
  std::sort(newestFirst.begin(), newestFirst.end(), [](auto* a, auto* b) { return a->id > b->id; });
  // An undo is always newer than what it reverses, so its own state is known when it is reached.
  std::map<std::int64_t, std::int64_t> undone;
  for (const JournalRecord* record : newestFirst)
    if (record->undoes && !undone.contains(record->id) && !undone.contains(record->undoes))
      undone[record->undoes] = record->id;
  return undone;
}

std::vector<const JournalRecord*> ActionSteps(const std::vector<JournalRecord>& records,
                                              const std::map<std::int64_t, std::int64_t>& undone,
                                              const JournalRecord& change) {
  const std::int64_t group = change.group ? change.group : change.id;
  std::vector<const JournalRecord*> steps;
  for (const JournalRecord& record : records)
    if ((record.id == group || record.group == group) && !undone.contains(record.id)) steps.push_back(&record);
  std::sort(steps.begin(), steps.end(), [](auto* a, auto* b) { return a->id > b->id; });
  return steps;
}

}  // namespace kestrun
