#pragma once
// Entries that are registry values (Run, RunServices, RunOnce...): a value of the live key, parked
// under the same name in the sibling key whose name ends in "-".
#include "store/EntryKind.h"

namespace kestrun {

class RegistryValueKind : public EntryKind {
 public:
  [[nodiscard]] const char* Name() const override { return "registry"; }
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
