// Reading, writing and restoring a startup task's State; keys are taken away only when empty, so that
// nothing another program wrote there since is lost.
#include "store/TaskSwitch.h"

#include <cstring>

#include "store/Locations.h"

namespace kestrun {
namespace {

std::string ParentOf(const std::string& keyPath) { return keyPath.substr(0, keyPath.rfind('\\')); }

// A key the restore made missing again: only while it holds nothing.
bool DeleteEmptyKey(Action& action, const std::string& keyPath) {
  RegistryAccess* key = action.Key(HKEY_CURRENT_USER, keyPath);
  if (!key) return action.KeyError() == ERROR_FILE_NOT_FOUND;
  std::vector<RegValue> values;
  std::vector<std::string> subKeys;
  key->GetValues(values);
  key->GetSubKeys(subKeys);
  if (!values.empty() || !subKeys.empty()) return true;
  const ErrorCode rc = action.DeleteKey(HKEY_CURRENT_USER, RegistryView::Native, keyPath);
  return rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND;
}

// The State value written, its key (and any missing parent) made first.
bool WriteState(Action& action, const std::string& keyPath, const RegValue& value) {
  RegistryAccess* key = action.Key(HKEY_CURRENT_USER, RegistryView::Native, keyPath, KeyAccess::Write, true);
  if (key) key->WriteValue(value);
  return key != nullptr;
}

}  // namespace

std::optional<TaskSwitch> ReadTaskSwitch(Action& action, const std::string& keyPath, bool whyAbsent) {
  TaskSwitch result;
  if (RegistryAccess* key = action.Key(HKEY_CURRENT_USER, keyPath)) {
    const std::optional<RegValue> value = key->ReadValue(kStateValue);
    if (value) result.value = *value;
    result.absent = value ? Absent::No : Absent::Value;
    return result;
  }
  if (action.KeyError() != ERROR_FILE_NOT_FOUND) {
    action.FailCall(RegistryPlace(HKEY_CURRENT_USER, keyPath), action.KeyError());
    return std::nullopt;
  }
  result.absent = !whyAbsent || action.Key(HKEY_CURRENT_USER, ParentOf(keyPath)) ? Absent::Key : Absent::ParentKey;
  return result;
}

std::optional<TaskState> StateOf(const TaskSwitch& taskSwitch) {
  if (taskSwitch.absent != Absent::No || taskSwitch.value.type != REG_DWORD || taskSwitch.value.data.size() != 4)
    return std::nullopt;
  DWORD number = 0;
  std::memcpy(&number, taskSwitch.value.data.data(), sizeof number);
  if (number > static_cast<DWORD>(TaskState::EnabledByPolicy)) return std::nullopt;
  return static_cast<TaskState>(number);
}

bool SetByPolicy(const TaskSwitch& taskSwitch) {
  const std::optional<TaskState> state = StateOf(taskSwitch);
  return state == TaskState::DisabledByPolicy || state == TaskState::EnabledByPolicy;
}

bool StartsTask(const TaskSwitch& taskSwitch, bool declaredEnabled) {
  const std::optional<TaskState> state = StateOf(taskSwitch);
  if (!state) return declaredEnabled;
  return state == TaskState::Enabled || state == TaskState::EnabledByPolicy;
}

ScannedData ScannedSwitch(const TaskSwitch& taskSwitch) {
  return taskSwitch.absent == Absent::No ? ScannedData{taskSwitch.value.type, taskSwitch.value.data} : ScannedData{};
}

JournalSide SwitchSide(const std::string& keyPath, const TaskSwitch& taskSwitch) {
  if (taskSwitch.absent != Absent::No) return AbsentSide(HKEY_CURRENT_USER, keyPath, taskSwitch.absent);
  return RegistrySide(HKEY_CURRENT_USER, keyPath, taskSwitch.value);
}

RegValue StateValue(TaskState state) {
  const auto number = static_cast<DWORD>(state);
  return {kStateValue, REG_DWORD, std::string(reinterpret_cast<const char*>(&number), sizeof number)};
}

bool WriteTaskState(Action& action, const std::string& keyPath, TaskState state) {
  return WriteState(action, keyPath, StateValue(state));
}

bool RestoreSwitch(Action& action, const std::string& keyPath, const JournalSide& side) {
  if (side.absent == Absent::No) return WriteState(action, keyPath, {kStateValue, side.type, side.data});
  if (RegistryAccess* key = action.Key(HKEY_CURRENT_USER, RegistryView::Native, keyPath, KeyAccess::Write))
    if (!key->DeleteValue(kStateValue) && key->LastError() != ERROR_FILE_NOT_FOUND) return false;
  if (side.absent != Absent::Value && !DeleteEmptyKey(action, keyPath)) return false;
  return side.absent != Absent::ParentKey || DeleteEmptyKey(action, ParentOf(keyPath));
}

bool SwitchIs(const TaskSwitch& now, const JournalSide& side) {
  if (side.absent != Absent::No) return now.absent != Absent::No;
  return now.absent == Absent::No && now.value.type == side.type && now.value.data == side.data;
}

}  // namespace kestrun
