#pragma once
// Entries that are packaged apps' startup tasks (MSIX and Store apps): declared in the package's
// manifest, switched off and on where they are by the user's State value, as Task Manager does it;
// they have no parking place, and go only with their app.
#include "store/EntryKind.h"

namespace kestrun {

class PackagedTaskKind : public EntryKind {
 public:
  [[nodiscard]] const char* Name() const override { return "packaged"; }
  [[nodiscard]] bool Parks() const override { return false; }
  void Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const override;
  bool Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const override;
  bool Remove(Action& action, const LocationInfo& location, const StartupRow& row) const override;
  [[nodiscard]] std::string RemoveRefusal(const StartupRow& row) const override;
  [[nodiscard]] std::string PlaceText(const StartupRow& row) const override;
  bool InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const override;
  bool SameEntry(const StartupRow& was, const StartupRow& now, bool stayed) const override;
  EntryCommand Command(const LocationInfo& location, const StartupRow& row) const override;
  EntrySource Source(const LocationInfo& location, const StartupRow& row) const override;
  std::string WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                            const JournalSide& side) const override;
  std::string CheckUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay) const override;
  std::string Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const override;
};

}  // namespace kestrun
