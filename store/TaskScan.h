#pragma once
// Reading the scheduled tasks that start a program at log-on or boot: from their files under
// %SystemRoot%\System32\Tasks (sub-folders are task folders), or, where those cannot be read, from
// what the Task Scheduler shows this user.
#include <cstdint>
#include <optional>
#include <string>

#include "store/Action.h"
#include "store/StartupRow.h"

namespace kestrun {

// %SystemRoot%\System32\Tasks; "" when the system names no Windows folder.
std::string TasksFolder(IPlatform& platform);
// A task path as the Task Scheduler names tasks ("\Vendor\Updater"): each part a name, no "..", no
// "/" and no control character.
bool IsTaskPath(const std::string& path);

// Settings/Enabled as the task's file says it; nothing when the file cannot be read or parsed.
std::optional<bool> TaskFileEnabled(IPlatform& platform, const std::string& taskPath);

// Appends a row for each task with an Exec action and an enabled log-on or boot trigger that concerns
// this user; a task file that cannot be read or parsed is left out, said once by its name.
void ScanScheduledTasks(Action& action, std::int32_t location, StartupRows& rows);

}  // namespace kestrun
