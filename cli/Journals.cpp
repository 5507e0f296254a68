// Both journals read once per command, in the order their changes were made.
#include "cli/Journals.h"

#include <algorithm>

namespace kestrun::cli {

Journals::Journals(CliSession& session)
    : user_(session.store.ReadJournal(false)), machine_(session.store.ReadJournal(true)) {
  userUndone_ = kestrun::UndoneBy(user_);
  machineUndone_ = kestrun::UndoneBy(machine_);
}

std::vector<const JournalRecord*> Journals::InOrder() const {
  std::vector<const JournalRecord*> user, machine, all;
  for (auto [records, ordered] : {std::pair{&user_, &user}, {&machine_, &machine}}) {
    for (const JournalRecord& record : *records) ordered->push_back(&record);
    std::stable_sort(ordered->begin(), ordered->end(), [](auto* a, auto* b) { return a->id < b->id; });
  }
  // Merged by the times of the two next records, never sorted by time: a record never overtakes an
  // older one of its own journal, whatever its clock said.
  size_t u = 0, m = 0;
  while (u < user.size() || m < machine.size())
    all.push_back(m == machine.size() || (u < user.size() && !(machine[m]->time < user[u]->time)) ? user[u++]
                                                                                                 : machine[m++]);
  return all;
}

std::optional<std::int64_t> Journals::UndoneBy(const JournalRecord& record) const {
  const auto& undone = Undone(record.machine);
  const auto by = undone.find(record.id);
  return by == undone.end() ? std::nullopt : std::optional(by->second);
}

}  // namespace kestrun::cli
