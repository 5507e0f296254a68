#pragma once
// Both journals as history and undo see them: the user's and the machine's, each with its own ids
// (the machine's shown as M<id>) and its own undo marks.
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "cli/CliSession.h"
#include "store/UndoGraph.h"

namespace kestrun::cli {

class Journals {
 public:
  // Reads both; the store says on stderr, in one line, why the machine's journal could not be read.
  explicit Journals(CliSession& session);

  // Every record of both in the order the changes were made: each journal's in the order of its ids,
  // the two interleaved by their times, the one thing they share (a clock set back can misplace one
  // journal's records against the other's, never within one).
  [[nodiscard]] std::vector<const JournalRecord*> InOrder() const;
  [[nodiscard]] const std::vector<JournalRecord>& Of(bool machine) const { return machine ? machine_ : user_; }
  [[nodiscard]] const std::map<std::int64_t, std::int64_t>& Undone(bool machine) const {
    return machine ? machineUndone_ : userUndone_;
  }
  // The id of the undo that reversed record, if one did.
  [[nodiscard]] std::optional<std::int64_t> UndoneBy(const JournalRecord& record) const;

 private:
  std::vector<JournalRecord> user_, machine_;
  std::map<std::int64_t, std::int64_t> userUndone_, machineUndone_;
};

}  // namespace kestrun::cli
