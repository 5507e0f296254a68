// Scheduled tasks as entries: each switch goes through the Task Scheduler and is read back from it;
// one that did not take is said and journalled nowhere (Wine's scheduler accepts a switch and keeps
// nothing). What undo needs is the task path and its state before.
#include "store/ScheduledTasks.h"

#include "base/Texts.h"
#include "store/Action.h"
#include "store/ChangeJournal.h"
#include "store/ChangeMessages.h"
#include "store/Locations.h"
#include "store/TaskScan.h"
#include "store/TextIds.h"
#include "store/UndoOverlay.h"

namespace kestrun {
namespace {

constexpr HRESULT kSchedulerNotRunning = static_cast<HRESULT>(0x80041315);  // SCHED_E_SERVICE_NOT_RUNNING

std::string SchedulerText(IPlatform& platform, HRESULT hr) {
  if (hr == E_ACCESSDENIED) return AdminRightsText();
  if (hr == kSchedulerNotRunning) return Text(IDS_SCHEDULER_NOT_RUNNING);
  if (hr == HRESULT_FROM_WIN32(ERROR_FILE_NOT_FOUND)) return Text(IDS_SCHEDULER_NO_TASK);
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
    return Text(IDS_TASK_STATE_NOT_READ_BACK, {SchedulerText(platform, hr)});
  if (const std::optional<bool> file = TaskFileEnabled(platform, path); file && *file != enable) now = *file;
  if (now != enable) return Text(now ? IDS_TASK_STILL_ENABLED : IDS_TASK_STILL_DISABLED);
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
    action.Refuse(NotMovedText(row.name, enable), Text(IDS_NO_TASK_PATH));
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
  return Text(IDS_TASK_NOT_DELETED);
}

bool ScheduledTaskKind::SameEntry(const StartupRow& was, const StartupRow& now, bool) const {
  return now.path == was.path;
}

EntryCommand ScheduledTaskKind::Command(const LocationInfo&, const StartupRow& row) const {
  return {EntryCommand::Form::CommandLine, row.CommandLine()};
}

EntrySource ScheduledTaskKind::Source(const LocationInfo&, const StartupRow& row) const { return {row.Source(), "task"}; }

std::string ScheduledTaskKind::PlaceText(const StartupRow& row) const {
  return Text(row.record.GetEnabled() == 1 ? IDS_TASK_PLACE : IDS_TASK_PLACE_DISABLED, {row.name});
}

std::string ScheduledTaskKind::WhyNotOwnSide(Action& action, const LocationInfo& location,
                                             const JournalRecord& record, const JournalSide& side) const {
  if (!side.isTask) return Text(IDS_NOT_A_TASK_OF, {side.isFile ? side.path : side.place, PlaceName(location.code)});
  if (!IsTaskPath(record.name) || side.path != record.name) return Text(IDS_NOT_THE_RECORDS_TASK, {side.path});
  const std::string folder = TasksFolder(action.Platform());
  if (side.place == folder && !folder.empty()) return {};
  return Text(IDS_NOT_THE_FOLDER_OF, {side.place, PlaceName(location.code)});
}

std::string ScheduledTaskKind::CheckUndo(Action& action, const JournalRecord& change,
                                         const UndoOverlay& overlay) const {
  if (!change.from || !change.to) return Text(IDS_NOT_A_TASK_SWITCH);
  bool now = false;
  // A newer record of the same step switches it first: what that undo puts back is what this one meets.
  if (const auto planned = overlay.At(*change.to, change.name); planned && *planned)
    now = (*planned)->enabled;
  else if (const HRESULT hr = TaskState(action.Platform(), change.name, now); FAILED(hr))
    return Text(IDS_TASK_STATE_UNREADABLE, {change.name, SchedulerText(action.Platform(), hr)});
  if (now != change.to->enabled) return Text(IDS_TASK_SWITCHED_SINCE, {change.name});
  return {};
}

std::string ScheduledTaskKind::Undo(Action& action, const JournalRecord& change, JournalRecord& undo) const {
  if (std::string why = SwitchTask(action.Platform(), change.name, change.from->enabled); !why.empty())
    return Text(IDS_TASK_NOT_SWITCHED_BACK, {change.name, why});
  JournalSwitch(action, undo);
  return {};
}

}  // namespace kestrun
