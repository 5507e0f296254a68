// A value goes back only where the journal says it was, and only while it is as the change left it.
#include "store/ValueUndo.h"

#include "base/Texts.h"
#include "store/ChangeJournal.h"
#include "store/Locations.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

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
    if (*side && !KnownHive(**side)) return Text(IDS_UNKNOWN_HIVE, {(*side)->place});
  if (change.to) {
    const std::optional<RegValue> now = ValueAt(action, *change.to, change.name, overlay);
    if (!now) return Text(IDS_VALUE_GONE, {change.name, change.to->place});
    if (now->type != change.to->type || now->data != change.to->data)
      return Text(IDS_VALUE_CHANGED_SINCE, {change.name, change.to->place});
  }
  if (change.from && ValueAt(action, *change.from, change.name, overlay))
    return Text(IDS_VALUE_BACK, {change.name, change.from->place});
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
  if (!JournalChange(action, undo, change.from.has_value())) return Text(IDS_JOURNAL_NOT_WRITTEN);
  ChangeOutcome outcome(action, undo);
  if (change.from) {
    RegistryAccess* key = KeyOf(action, *change.from, KeyAccess::Write, true);
    if (!key) return Text(IDS_KEY_NOT_OPENED, {change.from->place});
    key->WriteValue({change.name, change.from->type, change.from->data});
  }
  if (change.to) {
    RegistryAccess* key = KeyOf(action, *change.to, KeyAccess::Write);
    if (!key || !key->DeleteValue(change.name))
      return Text(IDS_VALUE_NOT_DELETED, {change.name, change.to->place});
    if (change.replaced) key->WriteValue({change.name, change.replaced->type, change.replaced->data});
  }
  outcome.Done();
  return {};
}

}  // namespace kestrun
