// Undoing a journalled change: the entry goes back to where it was, with its exact type and bytes
// (registry) or its exact file, and the undo is journalled like any change.
#include "store/StartupStore.h"

namespace kestrun {
namespace {

std::string Quoted(const std::string& name) { return "'" + name + "'"; }

}  // namespace

UndoResult StartupStore::Undo(const JournalRecord& change) {
  journalWarned_ = false;
  if (!change.from && !change.to) return {false, "the change has nothing to undo"};
  const bool isFile = (change.to ? *change.to : *change.from).isFile;
  std::string reason = isFile ? CheckFileUndo(change) : CheckRegistryUndo(change);
  if (!reason.empty()) return {false, reason};
  JournalRecord undo;
  undo.action = "undo";
  undo.location = change.location;
  undo.name = change.name;
  undo.undoes = change.id;
  undo.from = change.to;
  undo.to = change.from;
  reason = isFile ? UndoFile(change, undo) : UndoRegistry(change, undo);
  return {reason.empty(), reason};
}

std::string StartupStore::CheckRegistryUndo(const JournalRecord& change) {
  HKEY hive;
  std::string key;
  if (change.to) {
    if (!SplitRegistryPlace(change.to->place, hive, key))
      return "the journal names no known hive: " + change.to->place;
    Registry.SetRoot(hive);
    const std::optional<RegValue> now = Registry.OpenKey(key, false) ? Registry.ReadValue(change.name) : std::nullopt;
    if (!now) return Quoted(change.name) + " is no longer in " + change.to->place;
    if (now->type != change.to->type || now->data != change.to->data)
      return Quoted(change.name) + " in " + change.to->place + " was changed since; undoing would lose that change";
  }
  if (change.from) {
    if (!SplitRegistryPlace(change.from->place, hive, key))
      return "the journal names no known hive: " + change.from->place;
    Registry.SetRoot(hive);
    if (Registry.OpenKey(key, false) && Registry.ValueExists(change.name))
      return "an entry " + Quoted(change.name) + " is in " + change.from->place + " again; undoing would overwrite it";
  }
  return {};
}

std::string StartupStore::CheckFileUndo(const JournalRecord& change) {
  if (change.to && !platform_.FileExists(change.to->path)) return change.to->path + " is no longer there";
  if (change.from && platform_.FileExists(change.from->path))
    return "a file " + change.from->path + " is there again; undoing would overwrite it";
  if (change.from && !change.to && (change.from->backup.empty() || !platform_.FileExists(change.from->backup)))
    return "the copy kept of " + change.from->path + " is missing";
  return {};
}

std::string StartupStore::UndoRegistry(const JournalRecord& change, JournalRecord& undo) {
  // Taking a value away needs its bytes in the journal first; putting one back never does.
  if (!JournalChange(undo, change.from.has_value())) return "the journal could not be written";
  HKEY hive;
  std::string key;
  if (change.from) {
    SplitRegistryPlace(change.from->place, hive, key);
    Registry.SetRoot(hive);
    if (!Registry.OpenKey(key, true, KeyAccess::Write)) return "the key " + change.from->place + " cannot be opened";
    Registry.WriteValue({change.name, change.from->type, change.from->data});
  }
  if (change.to) {
    SplitRegistryPlace(change.to->place, hive, key);
    Registry.SetRoot(hive);
    if (!Registry.OpenKey(key, false, KeyAccess::Write) || !Registry.DeleteValue(change.name))
      return Quoted(change.name) + " could not be deleted from " + change.to->place;
    if (change.replaced) Registry.WriteValue({change.name, change.replaced->type, change.replaced->data});
  }
  return {};
}

std::string StartupStore::UndoFile(const JournalRecord& change, JournalRecord& undo) {
  const bool deletes = change.to && !change.from;
  if (!JournalChange(undo, !deletes, deletes ? &*undo.from : nullptr)) return "the journal could not be written";
  auto failed = [&](ErrorCode rc, const std::string& what) { return what + ": " + platform_.SystemErrorText(rc); };
  if (change.from) {
    const std::string& source = change.to ? change.to->path : change.from->backup;
    if (const ErrorCode rc = platform_.FileCopy(source, change.from->path); rc != ERROR_SUCCESS)
      return failed(rc, change.from->path);
  }
  if (change.to) {
    if (const ErrorCode rc = platform_.FileDelete(change.to->path); rc != ERROR_SUCCESS)
      return failed(rc, change.to->path);
    if (change.replaced && !change.replaced->backup.empty())
      if (const ErrorCode rc = platform_.FileCopy(change.replaced->backup, change.to->path); rc != ERROR_SUCCESS)
        return failed(rc, change.to->path);
  }
  return {};
}

}  // namespace kestrun
