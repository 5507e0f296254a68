#pragma once
// The user's switch of a packaged app's startup task: DWORD State in HKCU\...\SystemAppData\<family
// name>\<task id>, written as Task Manager writes it (observed behaviour, not documented). What was
// there before (no key, no value, or the value) goes back exactly on undo.
#include <cstdint>
#include <optional>
#include <string>

#include "store/Action.h"
#include "store/JournalRecord.h"
#include "store/StartupRow.h"

namespace kestrun {

inline constexpr const char* kStateValue = "State";  // untranslated: a registry value name

// The numbers of Windows' StartupTaskState.
enum class TaskState : DWORD { Disabled = 0, DisabledByUser = 1, Enabled = 2, DisabledByPolicy = 3, EnabledByPolicy = 4 };

struct TaskSwitch {
  Absent absent = Absent::No;
  RegValue value;  // the State value when it is there
};

// The switch as it stands; nothing when its key cannot be read (said through the action). whyAbsent:
// a missing key tells whether its parent is missing too (Absent::ParentKey), which only a change and
// its undo need; without it a missing key is Absent::Key, one registry call less.
std::optional<TaskSwitch> ReadTaskSwitch(Action& action, const std::string& keyPath, bool whyAbsent = true);
// The state the value sets: none for no value, or one Windows does not know (the manifest decides).
std::optional<TaskState> StateOf(const TaskSwitch& taskSwitch);
bool SetByPolicy(const TaskSwitch& taskSwitch);
// Windows starts the task: the switch says so, or says nothing and the manifest does.
bool StartsTask(const TaskSwitch& taskSwitch, bool declaredEnabled);
// As the scan keeps it in its row: the value, or a nameless one for none.
ScannedData ScannedSwitch(const TaskSwitch& taskSwitch);

// The value that sets state.
RegValue StateValue(TaskState state);
// The switch's journal side.
JournalSide SwitchSide(const std::string& keyPath, const TaskSwitch& taskSwitch);
// Writes the state, making the key; ERegistryError when the value cannot be written.
bool WriteTaskState(Action& action, const std::string& keyPath, TaskState state);
// The switch as side records it: the value written back, or the value and the keys it lacked taken away.
bool RestoreSwitch(Action& action, const std::string& keyPath, const JournalSide& side);
// The switch now is as side records it.
bool SwitchIs(const TaskSwitch& now, const JournalSide& side);

}  // namespace kestrun
