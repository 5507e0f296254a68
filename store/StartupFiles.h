#pragma once
// Entries that are files in a Startup folder (the user's or all users'): a file parked in the hidden
// folder "Disabled Startup Items" beside it. The folders come from the Shell Folders values.
#include "store/EntryKind.h"

namespace kestrun {

class StartupFileKind : public EntryKind {
 public:
  [[nodiscard]] const char* Name() const override { return "file"; }
  void Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const override;
  bool Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const override;
  bool Remove(Action& action, const LocationInfo& location, const StartupRow& row) const override;
  [[nodiscard]] std::string RemoveRefusal(const StartupRow&) const override { return {}; }
  bool InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const override;
  bool SameEntry(const StartupRow& was, const StartupRow& now, bool stayed) const override;
  bool SameBytes(Action& action, const LocationInfo& location, const StartupRow& a, const StartupRow& b) const override;
  EntryCommand Command(const LocationInfo& location, const StartupRow& row) const override;
  EntrySource Source(const LocationInfo& location, const StartupRow& row) const override;
  [[nodiscard]] std::string PlaceText(const StartupRow& row) const override { return ParkedPlaceText(row); }
  std::string WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                            const JournalSide& side) const override;
  std::string CheckUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay) const override;
  std::string Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const override;
};

}  // namespace kestrun
