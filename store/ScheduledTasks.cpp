// Scheduled tasks as entries: each switch goes through the Task Scheduler and is read back from it;
// one that did not take is said and journalled nowhere (Wine's scheduler accepts a switch and keeps
// nothing). What undo needs is the task path and its state before.
#include "store/ScheduledTasks.h"

#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/TaskScan.h"
#include "store/UndoOverlay.h"

namespace kestrun {
namespace {

constexpr HRESULT kSchedulerNotRunning = static_cast<HRESULT>(0x80041315);  // SCHED_E_SERVICE_NOT_RUNNING

const char* StateWord(bool enabled) { return enabled ? "enabled" : "disabled"; }

std::string SchedulerText(IPlatform& platform, HRESULT hr) {
  if (hr == E_ACCESSDENIED) return kAdminRightsText;
  if (hr == kSchedulerNotRunning) return "the Task Scheduler service is not running";
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return "the Task Scheduler knows no such task";
  return platform.SystemErrorText(HRESULT_FACILITY(hr) == FACILITY_WIN32 ? HRESULT_CODE(hr) : static_cast<ErrorCode>(hr));
}

// Whether the task is enabled: as its file says where it can be read (so the list will show it),
// else as the Task Scheduler says.
HRESULT TaskState(IPlatform& platform, const std::string& path, bool& enabled) {
  if (const std::optional<bool> file = TaskFileEnabled(platform, path)) {
    enabled = *file;
    return S_OK;
  }
  return platform.ScheduledTaskEnabled(path, enabled);
}

// The task switched and read back from both: "" when it took that state, else why not. (Wine's
// scheduler takes a switch and keeps nothing, and calls a task disabled whose file names no state.)
std::string SwitchTask(IPlatform& platform, const std::string& path, bool enable) {
  if (const HRESULT hr = platform.EnableScheduledTask(path, enable); FAILED(hr)) return SchedulerText(platform, hr);
  bool now = !enable;
  if (const HRESULT hr = platform.ScheduledTaskEnabled(path, now); FAILED(hr))
    return "its state cannot be read back: " + SchedulerText(platform, hr);
  if (const std::optional<bool> file = TaskFileEnabled(platform, path); file && *file != enable) now = *file;
  if (now != enable)
    return std::string("the Task Scheduler accepted the change, but the task is still ") + StateWord(now);
  return {};
}

// Journalled once made: a switch that did not take leaves no record.
void JournalSwitch(Action& action, JournalRecord& record) {
  JournalChange(action, record, true);
  ChangeOutcome(action, record).Done();
}

}  // namespace

void ScheduledTaskKind::Scan(Action& action, const LocationInfo& location, bool live, StartupRows& rows) const {
  // A task's state is its own: it is read once, with the live place, and disabled tasks come with it.
  if (live) ScanScheduledTasks(action, location.code, rows);
}

bool ScheduledTaskKind::Move(Action& action, const LocationInfo& location, const StartupRow& row, bool enable) const {
  IPlatform& platform = action.Platform();
  if (!IsTaskPath(row.name)) {
    action.Refuse(NotMovedText(row.name, enable), "it is no task path");
    return false;
  }
  bool before = !enable;
  if (const HRESULT hr = TaskState(platform, row.name, before); FAILED(hr)) {
    action.Refuse(NotMovedText(row.name, enable), SchedulerText(platform, hr));
    return false;
  }
  if (before != (row.record.GetEnabled() == 1)) {
    action.Refuse(ChangedSinceScanText(row.name));
    return false;
  }
  if (std::string why = SwitchTask(platform, row.name, enable); !why.empty()) {
    action.Refuse(NotMovedText(row.name, enable), why);
    return false;
  }
  JournalRecord record;
  record.action = enable ? "switch-on" : "switch-off";
  record.location = location.code;
  record.name = row.name;
  record.from = TaskSide(TasksFolder(platform), row.name, before);
  record.to = TaskSide(TasksFolder(platform), row.name, enable);
  JournalSwitch(action, record);
  return true;
}

bool ScheduledTaskKind::Remove(Action& action, const LocationInfo&, const StartupRow& row) const {
  action.Refuse(NotRemovedText(row.name), RemoveRefusal(row));
  return false;
}

std::string ScheduledTaskKind::RemoveRefusal(const StartupRow&) const {
  return "Kestrun does not delete scheduled tasks: switch it off here, or delete the task in Task Scheduler";
}

bool ScheduledTaskKind::SameEntry(const StartupRow& was, const StartupRow& now, bool) const {
  return now.path == was.path;
}

EntryCommand ScheduledTaskKind::Command(const LocationInfo&, const StartupRow& row) const {
  return {EntryCommand::Form::CommandLine, row.commandLine};
}

EntrySource ScheduledTaskKind::Source(const LocationInfo&, const StartupRow& row) const { return {row.source, "task"}; }

std::string ScheduledTaskKind::PlaceText(const StartupRow& row) const {
  const std::string place = "Scheduled task " + row.name;
  return row.record.GetEnabled() == 1 ? place : place + ", disabled in Task Scheduler";
}

std::string ScheduledTaskKind::WhyNotOwnSide(Action& action, const LocationInfo& location,
                                             const JournalRecord& record, const JournalSide& side) const {
  if (!side.isTask) return (side.isFile ? side.path : side.place) + " is not a task of " + PlaceName(location.code);
  if (!IsTaskPath(record.name) || side.path != record.name) return "'" + side.path + "' is not the task the record names";
  const std::string folder = TasksFolder(action.Platform());
  return side.place == folder && !folder.empty() ? "" : side.place + " is not the folder of " + PlaceName(location.code);
}

std::string ScheduledTaskKind::CheckUndo(Action& action, const JournalRecord& change,
                                         const UndoOverlay& overlay) const {
  if (!change.from || !change.to) return "the record is no switch of a task";
  bool now = false;
  // A newer record of the same step switches it first: what that undo puts back is what this one meets.
  if (const auto planned = overlay.At(*change.to, change.name); planned && *planned)
    now = (*planned)->enabled;
  else if (const HRESULT hr = TaskState(action.Platform(), change.name, now); FAILED(hr))
    return "the state of '" + change.name + "' cannot be read: " + SchedulerText(action.Platform(), hr);
  if (now != change.to->enabled)
    return "'" + change.name + "' was switched since; undoing would lose that change";
  return {};
}

std::string ScheduledTaskKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  if (std::string why = SwitchTask(action.Platform(), change.name, change.from->enabled); !why.empty())
    return "'" + change.name + "' was not switched back: " + why;
  JournalSwitch(action, undo);
  return {};
}

}  // namespace kestrun
