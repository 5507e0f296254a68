// Both journals read once per command, in the order their changes were made.
#include "cli/Journals.h"

#include <algorithm>

namespace kestrun::cli {

Journals::Journals(CliSession& session)
    : user_(session.store.ReadJournal(false)), machine_(session.store.ReadJournal(true)) {
  userUndone_ = kestrun::UndoneBy(user_);
  machineUndone_ = kestrun::UndoneBy(machine_);
}

std::vector<const JournalRecord*> Journals::ByTime() const {
  std::vector<const JournalRecord*> all;
  for (const auto* records : {&user_, &machine_})
    for (const JournalRecord& record : *records) all.push_back(&record);
  // Each journal is in order already; the times interleave them.
  std::stable_sort(all.begin(), all.end(), [](auto* a, auto* b) { return a->time < b->time; });
  return all;
}

std::optional<std::int64_t> Journals::UndoneBy(const JournalRecord& record) const {
  const auto& undone = Undone(record.machine);
  const auto by = undone.find(record.id);
  return by == undone.end() ? std::nullopt : std::optional(by->second);
}

}  // namespace kestrun::cli
