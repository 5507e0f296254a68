// A record is checked against the place table, not against what its own fields claim; what a place
// of each kind may hold, its kind says.
#include "store/UndoTrust.h"

#include "base/Texts.h"
#include "store/EntryKind.h"
#include "store/Locations.h"
#include "store/StoreContext.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

bool IsOwnName(const std::string& name, bool isFile) {
  for (const unsigned char c : name)
    if (c < 0x20 || c == 0x7f) return false;
  return !isFile || (IsEntryFileName(name) && name.find("..") == std::string::npos);
}

// The copies undo reads: of a removed file, and of one a change replaced.
std::string WhyNotOwnBackups(StoreContext& store, const JournalRecord& record) {
  const std::string kept =
      store.JournalOf(record.location).Folder() + "\\removed\\" + std::to_string(record.id) + "\\" + record.name;
  for (const JournalSide* side : {record.to || !record.from ? nullptr : &*record.from, record.replaced ? &*record.replaced : nullptr})
    if (side && side->isFile && !side->backup.empty() && side->backup != kept)
      return Text(IDS_NOT_OWN_COPY, {side->backup});
  return {};
}

}  // namespace

std::string WhyNotOwnRecord(Action& action, const JournalRecord& record) {
  StoreContext& store = action.Store();
  const LocationInfo* location = FindLocation(record.location);
  if (!location) return Text(IDS_RECORD_NO_PLACE);
  if (store.JournalOf(record.location).IsMachine() != record.machine)
    return Text(record.machine ? IDS_MACHINE_RECORD_USER_PLACE : IDS_MACHINE_CHANGE_USER_JOURNAL);
  const bool isFile = (record.from && record.from->isFile) || (record.to && record.to->isFile);
  if (!IsOwnName(record.name, isFile)) return Text(IDS_RECORD_NAME_NOT_ENTRY);
  const EntryKind& kind = KindOf(*location);
  for (const auto* side : {&record.from, &record.to, &record.replaced}) {
    if (*side && (*side)->isFile != isFile) return Text(IDS_RECORD_MIXED);
    if (*side)
      if (std::string why = kind.WhyNotOwnSide(action, *location, record, **side); !why.empty()) return why;
  }
  return WhyNotOwnBackups(store, record);
}

}  // namespace kestrun
