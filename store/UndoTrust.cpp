// A record is checked against the place table, not against what its own fields claim.
#include "store/UndoTrust.h"

#include "store/Locations.h"

namespace kestrun {
namespace {

bool IsOwnName(const std::string& name, bool isFile) {
  for (const unsigned char c : name)
    if (c < 0x20 || c == 0x7f) return false;
  return !isFile || (IsEntryFileName(name) && name.find("..") == std::string::npos);
}

bool IsOwnKey(const LocationInfo& location, const std::string& place) {
  const auto named = [&](const char* key) { return key && place == RegistryPlace(location.hive, key); };
  const bool own = !location.isFolder && (place == RegistryPlace(location.hive, NativeKeyPath(location, location.liveKey)) ||
                                          place == RegistryPlace(location.hive, NativeKeyPath(location, location.disabledKey)));
  return own || named(location.approvedKey);
}

std::string StartupFolderOf(StoreContext& store, const LocationInfo& location) {
  try {
    store.Registry.SetRoot(location.hive);
    const std::string folder =
        store.Registry.OpenKey(kShellFoldersKey, false) ? store.Registry.ReadString(location.folderValue) : "";
    return IsFullPath(folder) ? folder : std::string();
  } catch (const ERegistryError&) {
    return {};
  }
}

std::string WhyNotOwnSide(StoreContext& store, const LocationInfo& location, const JournalRecord& record,
                          const JournalSide& side) {
  if (!side.isFile)
    return IsOwnKey(location, side.place) ? "" : side.place + " is not a key of " + PlaceName(location.code);
  const std::string startup = location.isFolder ? StartupFolderOf(store, location) : "";
  const bool ownFolder = !startup.empty() && (side.place == startup || side.place == DisabledFolderOf(startup));
  if (!ownFolder || side.path != side.place + "\\" + record.name)
    return side.path + " is not in a folder of " + PlaceName(location.code);
  return {};
}

// The copies undo reads: of a removed file, and of one a change replaced.
std::string WhyNotOwnBackups(StoreContext& store, const JournalRecord& record) {
  const std::string kept =
      store.JournalOf(record.location).Folder() + "\\removed\\" + std::to_string(record.id) + "\\" + record.name;
  for (const JournalSide* side : {record.to || !record.from ? nullptr : &*record.from, record.replaced ? &*record.replaced : nullptr})
    if (side && side->isFile && !side->backup.empty() && side->backup != kept)
      return "the copy " + side->backup + " is not one the journal kept for this change";
  return {};
}

}  // namespace

std::string WhyNotOwnRecord(StoreContext& store, const JournalRecord& record) {
  const LocationInfo* location = FindLocation(record.location);
  if (!location) return "the record names no startup place";
  if (store.JournalOf(record.location).IsMachine() != record.machine)
    return record.machine ? "the machine's journal holds a change of a user's place"
                          : "a machine-wide change is undone only from the journal administrators keep";
  const bool isFile = (record.from && record.from->isFile) || (record.to && record.to->isFile);
  if (!IsOwnName(record.name, isFile)) return "the record's name is not an entry's name";
  for (const auto* side : {&record.from, &record.to, &record.replaced}) {
    if (*side && (*side)->isFile != isFile) return "the record mixes a file and a registry value";
    if (*side)
      if (std::string why = WhyNotOwnSide(store, *location, record, **side); !why.empty()) return why;
  }
  return WhyNotOwnBackups(store, record);
}

}  // namespace kestrun
