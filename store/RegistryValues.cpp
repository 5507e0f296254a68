// Registry values as entries: read as the scan found them, moved only while they are as the scan
// read them, and never into a place that holds a different value of that name.
#include "store/RegistryValues.h"

#include <algorithm>
#include <string_view>

#include "base/Text.h"
#include "base/Texts.h"
#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/StoreContext.h"
#include "store/TextIds.h"
#include "store/ValueUndo.h"

namespace kestrun {
namespace {

JournalRecord MoveRecord(const LocationInfo& location, const StartupRow& row, bool enable) {
  JournalRecord record;
  record.action = enable ? "bring-back" : "park";
  record.location = location.code;
  record.name = row.name;
  return record;
}

const char* PlaceKey(const LocationInfo& location, bool live) { return live ? location.liveKey : location.disabledKey; }

std::string Place(const LocationInfo& location, bool live) {
  return RegistryPlace(location.hive, NativeKeyPath(location, PlaceKey(location, live)));
}

constexpr size_t kLaterRows = 4096;

// UTF-16LE with its closing NUL, as a string value holding text is written.
std::string TextBytes(const std::string& text) {
  const std::wstring wide = ToWide(text);
  return std::string(reinterpret_cast<const char*>(wide.c_str()), (wide.size() + 1) * sizeof(wchar_t));
}

// bytes are a text's UTF-16 and one closing NUL, no more: TextBytes gives them back exactly from the
// text DecodeStringValue reads (every UTF-16 sequence survives the way there and back).
bool IsTextAndNul(const std::string& bytes) {
  const size_t size = bytes.size();
  if (size < 2 || size % 2 || bytes[size - 2] || bytes[size - 1]) return false;
  for (size_t i = 0; i + 2 < size; i += 2)
    if (!bytes[i] && !bytes[i + 1]) return false;
  return true;
}

// The bytes the scan read, whether kept or made again from the row's text.
std::string ScannedBytes(const StartupRow& row) { return row.bytesFromPath ? TextBytes(row.path) : row.scanned.data; }

// The value as it stands in the source, when it is still the one the row was scanned from.
std::optional<RegValue> ScannedValue(Action& action, const StartupRow& row, RegistryAccess& source) {
  std::optional<RegValue> value = source.ReadValue(row.name);
  if (!value) return std::nullopt;  // deleted since the scan: nothing to move
  // What is moved is what the user saw: a value rewritten since is another program's, left alone.
  if (value->type != row.scanned.type || value->data != ScannedBytes(row)) {
    action.Refuse(ChangedSinceScanText(row.name));
    return std::nullopt;
  }
  return value;
}

}  // namespace

void RegistryValueKind::Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const {
  RegistryAccess* key = action.Key(location.hive, location.view, PlaceKey(location, live), KeyAccess::Read);
  if (!key) return;
  std::vector<RegValue> values;
  key->GetValues(values);
  // Room for these and the later places' usual few: a key of 100,000 values is not copied into a
  // vector twice the size while the list grows.
  rows.reserve(rows.size() + values.size() + kLaterRows);
  for (RegValue& value : values) {
    // A number or binary value is no command: it is not an entry, and must not stop the scan.
    if (!ReadsAsString(value)) continue;
    // The row's name is the value's: kept once, the scanned value holds type and bytes alone.
    std::string path = DecodeStringValue(value);
    const bool fromPath = IsTextAndNul(value.data);
    if (fromPath) std::string().swap(value.data);  // its buffer goes too: assigning "" would keep it
    rows.push_back({std::move(value.name), std::move(path), live, TKStartupEntry(live, location.code),
                    {value.type, std::move(value.data)}});
    rows.back().bytesFromPath = fromPath;
  }
}

bool RegistryValueKind::Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const {
  IPlatform& platform = action.Platform();
  // Writing is asked for here, before anything moves: a refusal leaves the entry untouched.
  RegistryAccess* source = action.Key(location.hive, location.view, PlaceKey(location, !enable), KeyAccess::Write);
  if (!source) {
    // A key gone since the scan took its values with it: the rescan shows the truth.
    if (action.KeyError() != ERROR_FILE_NOT_FOUND)
      action.Refuse(NotMovedText(row.name, enable), FailureReason(platform, location, action.KeyError()));
    return false;
  }
  const std::optional<RegValue> value = ScannedValue(action, row, *source);
  if (!value) return false;
  // Target first: the source goes only once the entry is safe in its new place, so a failure at
  // any step leaves it in one place or both, never in none.
  RegistryAccess* target =
      action.Key(location.hive, location.view, PlaceKey(location, enable), KeyAccess::Write, true);
  if (!target) {
    action.Refuse(NotMovedText(row.name, enable), FailureReason(platform, location, action.KeyError()));
    return false;
  }
  const std::optional<RegValue> there = target->ReadValue(row.name);
  if (there && (there->type != value->type || there->data != value->data)) {
    action.Refuse(AlreadyThereText(row.name));
    return false;
  }
  JournalRecord record = MoveRecord(location, row, enable);
  const std::string from = NativeKeyPath(location, PlaceKey(location, !enable));
  const std::string to = NativeKeyPath(location, PlaceKey(location, enable));
  record.from = RegistrySide(location.hive, from, *value);
  record.to = RegistrySide(location.hive, to, *value);
  // The same value there already: undo leaves it, as it was.
  if (there) record.replaced = RegistrySide(location.hive, to, *there);
  JournalChange(action, record, true);
  ChangeOutcome outcome(action, record);
  // Type and bytes exactly as stored: an expandable string stays expandable, a NUL inside stays. The
  // source goes only once the copy reads back as written.
  target->WriteValue({row.name, value->type, value->data});
  const std::optional<RegValue> written = target->ReadValue(row.name);
  if (!written || written->type != value->type || written->data != value->data) {
    action.Refuse(NotMovedText(row.name, enable), Text(IDS_COPY_READS_BACK_WRONG, {Place(location, enable)}));
    return false;
  }
  outcome.Done();  // in both places at worst: the record stays true of the copy
  if (!source->DeleteValue(row.name) && source->LastError() != ERROR_FILE_NOT_FOUND) {
    action.Refuse(InBothPlacesText(row.name, Place(location, enable), Place(location, !enable)),
                  FailureReason(platform, location, source->LastError()));
    return false;
  }
  return true;
}

bool RegistryValueKind::Remove(Action& action, const LocationInfo& location, const StartupRow& row) const {
  const bool live = row.record.GetEnabled() == 1;
  RegistryAccess* key = action.Key(location.hive, location.view, PlaceKey(location, live), KeyAccess::Write);
  ErrorCode rc = action.KeyError();
  if (key) {
    // Gone already: nothing was removed now. Rewritten since: another program's, left alone.
    const std::optional<RegValue> value = ScannedValue(action, row, *key);
    if (!value) return false;
    JournalRecord record;
    record.action = "remove";
    record.location = location.code;
    record.name = row.name;
    record.from = RegistrySide(location.hive, NativeKeyPath(location, PlaceKey(location, live)), *value);
    if (!JournalChange(action, record, false)) return false;
    ChangeOutcome outcome(action, record);
    if (key->DeleteValue(row.name)) {
      outcome.Done();
      return true;
    }
    rc = key->LastError();
  }
  // Gone already, key and all, is what the user asked for; any other failure is said.
  if (rc == ERROR_FILE_NOT_FOUND) return false;
  action.Refuse(NotRemovedText(row.name), FailureReason(action.Platform(), location, rc));
  return false;
}

bool RegistryValueKind::InOtherPlace(Action& action, const LocationInfo& location, const StartupRow& row) const {
  RegistryAccess* key = action.Key(location.hive, location.view, PlaceKey(location, row.record.GetEnabled() != 1),
                                   KeyAccess::Read);
  return key && key->ValueExists(row.name);
}

bool RegistryValueKind::SameEntry(const StartupRow& was, const StartupRow& now, bool) const {
  return now.scanned.type == was.scanned.type && ScannedBytes(now) == ScannedBytes(was);
}

bool RegistryValueKind::SameBytes(Action&, const LocationInfo&, const StartupRow& a, const StartupRow& b) const {
  return a.scanned.type == b.scanned.type && ScannedBytes(a) == ScannedBytes(b);
}

EntryCommand RegistryValueKind::Command(const LocationInfo& location, const StartupRow& row) const {
  std::string command = row.path;
  // RunOnce's own marks, not part of the command: "!" (delete after it ran), "*" (safe mode too).
  if (std::string_view(location.liveKey).ends_with("\\RunOnce"))
    command.erase(0, std::min(command.find_first_not_of("!*"), command.size()));
  return {EntryCommand::Form::CommandLine, command};
}

EntrySource RegistryValueKind::Source(const LocationInfo& location, const StartupRow& row) const {
  // As scanned: a value that reads as a string is expandable or else plain.
  return {RegistryPlace(location.hive, PlaceKey(location, row.record.GetEnabled() == 1)),
          RegistryTypeName(row.scanned.type == REG_EXPAND_SZ ? REG_EXPAND_SZ : REG_SZ)};
}

std::string RegistryValueKind::WhyNotOwnSide(Action&, const LocationInfo& location, const JournalRecord&,
                                             const JournalSide& side) const {
  if (side.isFile) return Text(IDS_NOT_IN_FOLDER_OF, {side.path, PlaceName(location.code)});
  if (side.absent != Absent::No) return Text(IDS_ALWAYS_HAS_VALUE, {PlaceName(location.code)});
  const bool own = side.place == Place(location, true) || side.place == Place(location, false) ||
                   (location.approvedKey && side.place == RegistryPlace(location.hive, location.approvedKey));
  return own ? "" : Text(IDS_NOT_A_KEY_OF, {side.place, PlaceName(location.code)});
}

std::string RegistryValueKind::CheckUndo(Action& action, const JournalRecord& change,
                                         const UndoOverlay& overlay) const {
  return CheckValueUndo(action, change, overlay);
}

std::string RegistryValueKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  return UndoValue(action, change, undo);
}

}  // namespace kestrun
