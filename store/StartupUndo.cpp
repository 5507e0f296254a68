// Every record of an undo step is checked against what the journal says its change left, and against
// what the step's newer undos will leave, before anything is touched; the record's place decides which
// kind of entry undoes it.
#include "store/StartupUndo.h"

#include "base/Texts.h"
#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StoreContext.h"
#include "store/TextIds.h"
#include "store/UndoOverlay.h"
#include "store/UndoTrust.h"

namespace kestrun {
namespace {

// "" when change can be undone once the undos overlay stands for have run, else why not.
std::string WhyNotUndoable(Action& action, const JournalRecord& change, const UndoOverlay& overlay) {
  if (!change.from && !change.to) return Text(IDS_NOTHING_TO_UNDO);
  if (std::string why = WhyNotOwnRecord(action, change); !why.empty()) return why;
  return KindOf(change.location)->CheckUndo(action, change, overlay);
}

// "" when undone, else why not. Checked again as it stands now: another program may have acted since.
std::string UndoChange(Action& action, const JournalRecord& change) {
  if (std::string why = WhyNotUndoable(action, change, UndoOverlay()); !why.empty()) return why;
  JournalRecord undo;
  undo.action = "undo";
  undo.location = change.location;
  undo.name = change.name;
  undo.undoes = change.id;
  undo.from = change.to;
  undo.to = change.from;
  return KindOf(change.location)->Undo(action, change, undo);
}

void SayRefused(Action& action, const JournalRecord& change, size_t stepSize, size_t undone, const std::string& why) {
  const bool whole = stepSize > 1 && undone == 0;
  action.Refuse(Text(whole ? IDS_CANNOT_UNDO_ACTION : IDS_CANNOT_UNDO, {ChangeLabel(change)}), why);
}

}  // namespace

std::string ChangeLabel(const JournalRecord& change) {
  std::string label = "#";
  label += IdText(change.machine, change.id);
  return label + " " + change.action + " '" + change.name + "' (" + PlaceName(change.location) + ")";
}

size_t UndoSteps(Action& action, const std::vector<const JournalRecord*>& steps) {
  UndoOverlay overlay;
  for (const JournalRecord* step : steps) {
    if (std::string why = WhyNotUndoable(action, *step, overlay); !why.empty()) {
      SayRefused(action, *step, steps.size(), 0, why);
      return 0;
    }
    overlay.Undo(*step);
  }
  for (size_t done = 0; done < steps.size(); ++done)
    if (std::string why = UndoChange(action, *steps[done]); !why.empty()) {
      SayRefused(action, *steps[done], steps.size(), done, why);
      return done;
    }
  return steps.size();
}

}  // namespace kestrun
