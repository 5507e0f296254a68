// Each undo is checked against what the journal says the change left, before anything is touched;
// the record's place decides which kind of entry undoes it.
#include "store/StartupUndo.h"

#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StoreContext.h"
#include "store/UndoTrust.h"

namespace kestrun {
namespace {

// "" when undone, else why not.
std::string UndoChange(Action& action, const JournalRecord& change) {
  if (!change.from && !change.to) return "the change has nothing to undo";
  if (std::string why = WhyNotOwnRecord(action, change); !why.empty()) return why;
  const EntryKind& kind = *KindOf(change.location);
  if (std::string why = kind.CheckUndo(action, change); !why.empty()) return why;
  JournalRecord undo;
  undo.action = "undo";
  undo.location = change.location;
  undo.name = change.name;
  undo.undoes = change.id;
  undo.from = change.to;
  undo.to = change.from;
  return kind.Undo(action, change, undo);
}

}  // namespace

std::string ChangeLabel(const JournalRecord& change) {
  std::string label = "#";
  label += IdText(change.machine, change.id);
  return label + " " + change.action + " '" + change.name + "' (" + PlaceName(change.location) + ")";
}

bool UndoSteps(Action& action, const std::vector<const JournalRecord*>& steps) {
  for (const JournalRecord* step : steps)
    if (std::string why = UndoChange(action, *step); !why.empty()) {
      action.Refuse("cannot undo " + ChangeLabel(*step), why);
      return false;
    }
  return true;
}

}  // namespace kestrun
