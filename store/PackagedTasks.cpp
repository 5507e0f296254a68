// Packaged apps' startup tasks as entries: one row a task, its tick Windows' own answer (TKStartupEntry's
// Enabled is 1 exactly when Windows starts it), a switch written only while it is as the scan read it.
#include "store/PackagedTasks.h"

#include "base/Text.h"
#include "base/Texts.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/PackageCatalog.h"
#include "store/TaskSwitch.h"
#include "store/TextIds.h"
#include "store/UndoOverlay.h"

namespace kestrun {
namespace {

std::string KeyPathOf(const std::string& place) {
  HKEY hive;
  std::string keyPath;
  return SplitRegistryPlace(place, hive, keyPath) && hive == HKEY_CURRENT_USER ? keyPath : std::string();
}

void AddRows(Action& action, const InstalledPackage& package, const ManifestRead& manifest, StartupRows& rows) {
  const std::optional<std::vector<PackagedTask>> tasks = PackageTasks(action, package, manifest);
  if (!tasks) return;
  for (const PackagedTask& task : *tasks) {
    // A row keeps no more of a missing switch than that it is missing: a change reads it again whole.
    const std::optional<TaskSwitch> now = ReadTaskSwitch(action, task.stateKey, false);
    if (!now) continue;
    const bool starts = StartsTask(*now, task.declaredEnabled);
    StartupRow row{task.name, task.command, starts, TKStartupEntry(starts, slPackagedTasks), ScannedSwitch(*now)};
    row.detail = std::make_shared<const RowDetail>(
        RowDetail{RegistryPlace(HKEY_CURRENT_USER, task.stateKey),
                  Text(SetByPolicy(*now) ? IDS_PACKAGE_BY_POLICY : IDS_PACKAGE_ORIGIN, {package.fullName}), {}});
    rows.push_back(std::move(row));
  }
}

// The installed package's task whose switch the key is; "" when it is one, else why not.
std::string WhyNotTaskKey(Action& action, const std::string& keyPath, const std::string& name) {
  const std::string statesKey = kTaskStatesKey;
  const std::string rest = keyPath.rfind(statesKey + "\\", 0) == 0 ? keyPath.substr(statesKey.size() + 1) : "";
  const size_t slash = rest.find('\\');
  const std::string family = rest.substr(0, slash);
  if (slash == std::string::npos || family.empty() || rest.find('\\', slash + 1) != std::string::npos)
    return Text(IDS_NOT_A_KEY_OF, {RegistryPlace(HKEY_CURRENT_USER, keyPath), PlaceName(slPackagedTasks)});
  for (const InstalledPackage& package : InstalledPackages(action)) {
    if (!SameName(package.familyName, family)) continue;
    for (const PackagedTask& task : PackageTasks(action, package).value_or(std::vector<PackagedTask>{}))
      if (SameName(task.stateKey, keyPath) && task.name == name) return {};
  }
  return Text(IDS_NO_SUCH_PACKAGED_TASK, {name, RegistryPlace(HKEY_CURRENT_USER, keyPath)});
}

}  // namespace

void PackagedTaskKind::Scan(Action& action, const LocationInfo&, bool live, StartupRows& rows) const {
  if (!live) return;  // switched where they are: no parking place to list
  const std::vector<InstalledPackage> packages = InstalledPackages(action);
  const std::vector<ManifestRead> manifests = ReadManifests(action.Platform(), packages);
  for (std::size_t i = 0; i < packages.size(); ++i) AddRows(action, packages[i], manifests[i], rows);
}

bool PackagedTaskKind::Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const {
  const std::string keyPath = KeyPathOf(row.Source());
  const std::optional<TaskSwitch> now = keyPath.empty() ? std::nullopt : ReadTaskSwitch(action, keyPath);
  if (!now) return false;
  if (ScannedSwitch(*now) != row.scanned) {
    action.Refuse(ChangedSinceScanText(row.name));
    return false;
  }
  if (SetByPolicy(*now)) {
    action.Refuse(NotMovedText(row.name, enable), Text(IDS_SET_BY_POLICY));
    return false;
  }
  const TaskState state = enable ? TaskState::Enabled : TaskState::DisabledByUser;
  JournalRecord record;
  record.action = enable ? "switch-on" : "switch-off";
  record.location = location.code;
  record.name = row.name;
  record.from = SwitchSide(keyPath, *now);
  record.to = RegistrySide(HKEY_CURRENT_USER, keyPath, StateValue(state));
  JournalChange(action, record, true);
  ChangeOutcome outcome(action, record);
  if (!WriteTaskState(action, keyPath, state)) {
    action.Refuse(NotMovedText(row.name, enable), FailureReason(action.Platform(), location, action.KeyError()));
    return false;
  }
  outcome.Done();
  return true;
}

bool PackagedTaskKind::Remove(Action& action, const LocationInfo&, const StartupRow& row) const {
  action.Refuse(NotRemovedText(row.name), RemoveRefusal(row));
  return false;
}

std::string PackagedTaskKind::RemoveRefusal(const StartupRow&) const { return Text(IDS_PACKAGED_NOT_REMOVED); }

// Switched off where it lies, with no parking place: the package is named on a line of its own.
std::string PackagedTaskKind::PlaceText(const StartupRow& row) const { return PlaceName(row.record.GetLocation()); }

bool PackagedTaskKind::InOtherPlace(Action&, const LocationInfo&, const StartupRow&) const { return false; }

// A switch leaves the task where it is: its key is what tells it.
bool PackagedTaskKind::SameEntry(const StartupRow& was, const StartupRow& now, bool) const {
  return SameName(now.Source(), was.Source());
}

EntryCommand PackagedTaskKind::Command(const LocationInfo&, const StartupRow& row) const {
  return {EntryCommand::Form::File, row.path};
}

EntrySource PackagedTaskKind::Source(const LocationInfo&, const StartupRow& row) const {
  return {row.Source(), RegistryTypeName(REG_DWORD)};
}

std::string PackagedTaskKind::WhyNotOwnSide(Action& action, const LocationInfo& location, const JournalRecord& record,
                                            const JournalSide& side) const {
  const std::string keyPath = side.isFile ? std::string() : KeyPathOf(side.place);
  if (keyPath.empty()) return Text(IDS_NOT_A_KEY_OF, {side.isFile ? side.path : side.place, PlaceName(location.code)});
  return WhyNotTaskKey(action, keyPath, record.name);
}

std::string PackagedTaskKind::CheckUndo(Action& action, const JournalRecord& change,
                                        const UndoOverlay& overlay) const {
  if (!change.from || !change.to || change.from->place != change.to->place)
    return Text(IDS_NOT_ONE_TASK_SWITCH);
  // A newer record of the same step switches it first: what that undo puts back is what this one meets.
  std::optional<TaskSwitch> now;
  if (const auto planned = overlay.At(*change.to, change.name))
    now = *planned ? TaskSwitch{(*planned)->absent, {"", (*planned)->type, (*planned)->data}} : TaskSwitch{Absent::Value, {}};
  else
    now = ReadTaskSwitch(action, KeyPathOf(change.to->place));
  if (!now) return Text(IDS_SWITCH_UNREADABLE, {change.name});
  if (!SwitchIs(*now, *change.to)) return Text(IDS_SWITCH_CHANGED_SINCE, {change.name, change.to->place});
  return {};
}

std::string PackagedTaskKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  // Taking the value away needs its bytes in the journal first; putting one back never does.
  if (!JournalChange(action, undo, change.from->absent == Absent::No)) return Text(IDS_JOURNAL_NOT_WRITTEN);
  ChangeOutcome outcome(action, undo);
  if (!RestoreSwitch(action, KeyPathOf(change.from->place), *change.from))
    return Text(IDS_SWITCH_NOT_PUT_BACK, {change.name, change.from->place});
  outcome.Done();
  return {};
}

}  // namespace kestrun
