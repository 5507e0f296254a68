#include "cli/Journals.h"

#include <algorithm>

#include "cli/Output.h"

namespace kestrun::cli {

Journals::Journals(CliSession& session)
    : user_(session.store.GetJournal().Read()), machine_(session.store.GetMachineJournal().Read()) {
  userUndone_ = kestrun::UndoneBy(user_);
  machineUndone_ = kestrun::UndoneBy(machine_);
  if (const std::string& why = session.store.GetMachineJournal().Refusal(); !why.empty())
    WriteError("kestrun-cli: warning: the machine-wide journal is not read: " + why + "\n");
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

std::string IdText(bool machine, std::int64_t id) { return (machine ? "M" : "") + std::to_string(id); }

std::optional<std::pair<bool, std::int64_t>> ParseIdText(const std::string& given) {
  // "#3" and "#M3" as undo and history print them.
  const std::string text = given.substr(!given.empty() && given[0] == '#' ? 1 : 0);
  const bool machine = !text.empty() && (text[0] == 'M' || text[0] == 'm');
  const std::string digits = text.substr(machine ? 1 : 0);
  if (digits.empty() || digits.size() > 18 || digits[0] == '0' ||
      !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
    return std::nullopt;
  return std::pair{machine, std::stoll(digits)};
}

}  // namespace kestrun::cli
