// A value goes back only where the journal says it was, and only while it is as the change left it.
#include "store/ValueUndo.h"

#include "store/ChangeJournal.h"
#include "store/Locations.h"

namespace kestrun {
namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

// The key a journal side names, opened for the action; nullptr when it cannot be.
RegistryAccess* KeyOf(Action& action, const JournalSide& side, KeyAccess access, bool create = false) {
  HKEY hive;
  std::string key;
  if (!SplitRegistryPlace(side.place, hive, key)) return nullptr;
  return action.Key(hive, RegistryView::Native, key, access, create);
}

// The value of that name in side's key once the undos overlay stands for have run.
std::optional<RegValue> ValueAt(Action& action, const JournalSide& side, const std::string& name,
                                const UndoOverlay& overlay) {
  if (const auto planned = overlay.At(side, name))
    return *planned ? std::optional(RegValue{name, (*planned)->type, (*planned)->data}) : std::nullopt;
  RegistryAccess* key = KeyOf(action, side, KeyAccess::Read);
  return key ? key->ReadValue(name) : std::nullopt;
}

bool KnownHive(const JournalSide& side) {
  HKEY hive;
  std::string key;
  return SplitRegistryPlace(side.place, hive, key);
}

}  // namespace

std::string CheckValueUndo(Action& action, const JournalRecord& change, const UndoOverlay& overlay) {
  for (const auto* side : {&change.to, &change.from})
    if (*side && !KnownHive(**side)) return "the journal names no known hive: " + (*side)->place;
  if (change.to) {
    const std::optional<RegValue> now = ValueAt(action, *change.to, change.name, overlay);
    if (!now) return Quoted(change.name) + " is no longer in " + change.to->place;
    if (now->type != change.to->type || now->data != change.to->data)
      return Quoted(change.name) + " in " + change.to->place + " was changed since; undoing would lose that change";
  }
  if (change.from && ValueAt(action, *change.from, change.name, overlay))
    return "an entry " + Quoted(change.name) + " is in " + change.from->place + " again; undoing would overwrite it";
  return {};
}

std::string UndoValue(Action& action, const JournalRecord& change, JournalRecord& undo) {
  if (change.replaced) {
    // A flag written over in place comes back in place: the undo replaces what the change wrote, so
    // that it can be undone in turn.
    undo.from.reset();
    undo.to = change.replaced;
    undo.replaced = change.to;
  }
  // Taking a value away needs its bytes in the journal first; putting one back never does.
  if (!JournalChange(action, undo, change.from.has_value())) return "the journal could not be written";
  ChangeOutcome outcome(action, undo);
  if (change.from) {
    RegistryAccess* key = KeyOf(action, *change.from, KeyAccess::Write, true);
    if (!key) return "the key " + change.from->place + " cannot be opened";
    key->WriteValue({change.name, change.from->type, change.from->data});
  }
  if (change.to) {
    RegistryAccess* key = KeyOf(action, *change.to, KeyAccess::Write);
    if (!key || !key->DeleteValue(change.name))
      return Quoted(change.name) + " could not be deleted from " + change.to->place;
    if (change.replaced) key->WriteValue({change.name, change.replaced->type, change.replaced->data});
  }
  outcome.Done();
  return {};
}

}  // namespace kestrun
