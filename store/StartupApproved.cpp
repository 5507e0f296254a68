// Reading and writing the StartupApproved flags of the entries the store lists and changes.
#include "store/StartupApproved.h"

#include "base/Text.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/StartupRow.h"
#include "store/StoreContext.h"

namespace kestrun {
namespace {

constexpr size_t kApprovalSize = 12;

// A flag's change, journalled under the entry it speaks for.
JournalRecord ApprovalRecord(const char* action, const LocationInfo& location, const std::string& name) {
  JournalRecord record;
  record.action = action;
  record.location = location.code;
  record.name = name;
  return record;
}

}  // namespace

Approval ApprovalOf(const RegValue& value) {
  // Explorer ignores anything else, and so do we: such a value is left as it is.
  if (value.type != REG_BINARY || value.data.size() != kApprovalSize) return Approval::None;
  return (static_cast<unsigned char>(value.data[0]) & 1) ? Approval::Off : Approval::On;
}

std::string EnabledApprovalBytes() {
  std::string bytes(kApprovalSize, '\0');
  bytes[0] = '\x02';
  return bytes;
}

ApprovalList ListApprovals(IPlatform& platform, const LocationInfo& location) {
  ApprovalList listing;
  if (!location.approvedKey) return listing;
  RegistryAccess key(platform);
  key.SetRoot(location.hive);
  listing.listed = key.OpenKey(location.approvedKey, false) && key.GetValues(listing.flags) == ERROR_SUCCESS;
  return listing;
}

void ReadApprovals(Action& action, const LocationInfo& location, StartupRows& rows, size_t first,
                   std::optional<ApprovalList> given) {
  if (!location.approvedKey || first >= rows.size()) return;
  // One enumeration, not a read per row: under Wine each read is a round trip, and a key may list
  // 100,000 entries.
  const ApprovalList listing = given ? std::move(*given) : ListApprovals(action.Platform(), location);
  RegistryAccess* key = listing.listed ? nullptr : action.Key(location.hive, location.approvedKey);
  if (!listing.listed && !key) return;
  NameIndex byName;
  for (size_t i = 0; i < listing.flags.size(); ++i) byName.Add(listing.flags[i].name, i);
  for (size_t i = first; i < rows.size(); ++i) {
    StartupRow& row = rows[i];
    std::optional<RegValue> read;
    if (key) read = key->ReadValue(row.name);
    const std::optional<size_t> at = listing.listed ? byName.Find(row.name) : std::nullopt;
    const RegValue* flag = at ? &listing.flags[*at] : read ? &*read : nullptr;
    row.approved = flag ? ApprovalOf(*flag) : Approval::None;
    if (SwitchedOffByWindows(row)) row.checked = false;  // Windows will not start it
  }
}

std::optional<RegValue> ReadApproval(Action& action, const LocationInfo& location, const std::string& name) {
  if (!location.approvedKey) return std::nullopt;
  RegistryAccess* key = action.Key(location.hive, location.approvedKey);
  return key ? key->ReadValue(name) : std::nullopt;
}

void SwitchOnApproval(Action& action, const LocationInfo& location, const std::string& name) {
  const std::optional<RegValue> old = ReadApproval(action, location, name);
  RegistryAccess* key = action.Key(location.hive, location.approvedKey, KeyAccess::Write);
  if (!key) {
    action.Refuse(NotMovedText(name, true), FailureReason(action.Platform(), location, action.KeyError()));
    return;
  }
  const RegValue enabled{name, REG_BINARY, EnabledApprovalBytes()};
  // Written over the flag in place: undo deletes it and puts back the bytes it replaced.
  JournalRecord record = ApprovalRecord("switch-on", location, name);
  record.to = RegistrySide(location.hive, location.approvedKey, enabled);
  if (old) record.replaced = RegistrySide(location.hive, location.approvedKey, *old);
  JournalChange(action, record, true);
  ChangeOutcome outcome(action, record);
  key->WriteValue(enabled);
  outcome.Done();
}

void DeleteApproval(Action& action, const LocationInfo& location, const std::string& name) {
  // No flag, or a value Explorer does not read as one (left alone): nothing to open for writing.
  const std::optional<RegValue> flag = ReadApproval(action, location, name);
  if (!flag || ApprovalOf(*flag) == Approval::None) return;
  RegistryAccess* key = action.Key(location.hive, location.approvedKey, KeyAccess::Write);
  if (!key) return;
  JournalRecord record = ApprovalRecord("remove-flag", location, name);
  record.from = RegistrySide(location.hive, location.approvedKey, *flag);
  JournalChange(action, record, true);
  ChangeOutcome outcome(action, record);
  if (key->DeleteValue(name)) outcome.Done();
}

}  // namespace kestrun
