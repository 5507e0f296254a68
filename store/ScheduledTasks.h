#pragma once
// Entries that are scheduled tasks starting at log-on or boot. A task has no parking place: it is
// switched off and on through the Task Scheduler (never by editing its file, whose hash Windows
// keeps), and lies "live" exactly when it is enabled. It is never deleted here.
#include "store/EntryKind.h"

namespace kestrun {

class ScheduledTaskKind : public EntryKind {
 public:
  [[nodiscard]] const char* Name() const override { return "task"; }
  [[nodiscard]] bool Parks() const override { return false; }
  void Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const override;
  bool Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const override;
  bool Remove(Action& action, const LocationInfo& location, const StartupRow& row) const override;
  [[nodiscard]] std::string RemoveRefusal(const StartupRow& row) const override;
  bool InOtherPlace(Action&, const LocationInfo&, const StartupRow&) const override { return false; }
  bool SameEntry(const StartupRow& was, const StartupRow& now, bool stayed) const override;
  EntryCommand Command(const LocationInfo& location, const StartupRow& row) const override;
  EntrySource Source(const LocationInfo& location, const StartupRow& row) const override;
  [[nodiscard]] std::string PlaceText(const StartupRow& row) const override;
  std::string WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                            const JournalSide& side) const override;
  std::string CheckUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay) const override;
  std::string Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const override;
};

}  // namespace kestrun
