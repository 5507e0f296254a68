// Each undo is checked against what the journal says the change left, before anything is touched.
#include "store/StartupUndo.h"

#include "store/ChangeJournal.h"
#include "store/Locations.h"
#include "store/UndoTrust.h"

namespace kestrun {
namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

std::string CheckRegistryUndo(StoreContext& store, const JournalRecord& change) {
  HKEY hive;
  std::string key;
  if (change.to) {
    if (!SplitRegistryPlace(change.to->place, hive, key))
      return "the journal names no known hive: " + change.to->place;
    store.Registry.SetRoot(hive);
    const std::optional<RegValue> now =
        store.Registry.OpenKey(key, false) ? store.Registry.ReadValue(change.name) : std::nullopt;
    if (!now) return Quoted(change.name) + " is no longer in " + change.to->place;
    if (now->type != change.to->type || now->data != change.to->data)
      return Quoted(change.name) + " in " + change.to->place + " was changed since; undoing would lose that change";
  }
  if (change.from) {
    if (!SplitRegistryPlace(change.from->place, hive, key))
      return "the journal names no known hive: " + change.from->place;
    store.Registry.SetRoot(hive);
    if (store.Registry.OpenKey(key, false) && store.Registry.ValueExists(change.name))
      return "an entry " + Quoted(change.name) + " is in " + change.from->place + " again; undoing would overwrite it";
  }
  return {};
}

std::string CheckFileUndo(StoreContext& store, const JournalRecord& change) {
  if (change.to && !store.platform.FileExists(change.to->path)) return change.to->path + " is no longer there";
  if (change.from && store.platform.FileExists(change.from->path))
    return "a file " + change.from->path + " is there again; undoing would overwrite it";
  if (change.from && !change.to && (change.from->backup.empty() || !store.platform.FileExists(change.from->backup)))
    return "the copy kept of " + change.from->path + " is missing";
  return {};
}

std::string UndoRegistry(StoreContext& store, const JournalRecord& change, JournalRecord& undo) {
  // Taking a value away needs its bytes in the journal first; putting one back never does.
  if (!JournalChange(store, undo, change.from.has_value())) return "the journal could not be written";
  HKEY hive;
  std::string key;
  if (change.from) {
    SplitRegistryPlace(change.from->place, hive, key);
    store.Registry.SetRoot(hive);
    if (!store.Registry.OpenKey(key, true, KeyAccess::Write))
      return "the key " + change.from->place + " cannot be opened";
    store.Registry.WriteValue({change.name, change.from->type, change.from->data});
  }
  if (change.to) {
    SplitRegistryPlace(change.to->place, hive, key);
    store.Registry.SetRoot(hive);
    if (!store.Registry.OpenKey(key, false, KeyAccess::Write) || !store.Registry.DeleteValue(change.name))
      return Quoted(change.name) + " could not be deleted from " + change.to->place;
    if (change.replaced) store.Registry.WriteValue({change.name, change.replaced->type, change.replaced->data});
  }
  return {};
}

std::string UndoFile(StoreContext& store, const JournalRecord& change, JournalRecord& undo) {
  const bool deletes = change.to && !change.from;
  if (!JournalChange(store, undo, !deletes, deletes ? &*undo.from : nullptr)) return "the journal could not be written";
  auto failed = [&](ErrorCode rc, const std::string& what) { return what + ": " + store.platform.SystemErrorText(rc); };
  if (change.from) {
    const std::string& source = change.to ? change.to->path : change.from->backup;
    if (const ErrorCode rc = store.platform.FileCopy(source, change.from->path); rc != ERROR_SUCCESS)
      return failed(rc, change.from->path);
  }
  if (change.to) {
    if (const ErrorCode rc = store.platform.FileDelete(change.to->path); rc != ERROR_SUCCESS)
      return failed(rc, change.to->path);
    if (change.replaced && !change.replaced->backup.empty())
      if (const ErrorCode rc = store.platform.FileCopy(change.replaced->backup, change.to->path); rc != ERROR_SUCCESS)
        return failed(rc, change.to->path);
  }
  return {};
}

}  // namespace

UndoResult UndoChange(StoreContext& store, const JournalRecord& change) {
  if (!change.from && !change.to) return {false, "the change has nothing to undo"};
  const bool isFile = (change.to ? *change.to : *change.from).isFile;
  std::string reason = WhyNotOwnRecord(store, change);
  if (!reason.empty()) return {false, reason};
  reason = isFile ? CheckFileUndo(store, change) : CheckRegistryUndo(store, change);
  if (!reason.empty()) return {false, reason};
  JournalRecord undo;
  undo.action = "undo";
  undo.location = change.location;
  undo.name = change.name;
  undo.undoes = change.id;
  undo.from = change.to;
  undo.to = change.from;
  if (!isFile && change.replaced) {
    // A flag written over in place comes back in place: the undo replaces what the change wrote, so
    // that it can be undone in turn.
    undo.from.reset();
    undo.to = change.replaced;
    undo.replaced = change.to;
  }
  ChangeOutcome outcome(store, undo);  // marks the undo failed once it is journalled and then fails
  reason = isFile ? UndoFile(store, change, undo) : UndoRegistry(store, change, undo);
  if (reason.empty()) outcome.Done();
  return {reason.empty(), reason};
}

}  // namespace kestrun
