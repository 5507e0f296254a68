// The task folders walked (no link or junction followed, the depth bounded), each task file read
// through one size-limited read and parsed by the system's reader. A task file is untrusted: one that
// is too large, too deep, malformed or a link hides only itself.
#include "store/TaskScan.h"

#include "base/Texts.h"
#include "store/Locations.h"
#include "store/TaskDefinition.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

constexpr int kMaxFolderDepth = 32;


struct TaskWalk {
  Action& action;
  std::int32_t location;
  std::string root;
  UserIdentity user;
  bool denied = false;  // a folder or file could not be read for want of rights
  StartupRows rows{};
};

bool HasControl(const std::string& text) {
  for (const unsigned char c : text)
    if (c < 0x20 || c == 0x7f) return true;
  return false;
}

void Unlisted(Action& action, const std::string& what, const std::string& why) {
  action.Fail(MakeFailure(Failure::Kind::Warning, Text(IDS_TASK_NOT_LISTED, {what}), why));
}

void AddTask(TaskWalk& walk, const std::string& taskPath, const std::string& file, const std::string& text) {
  XmlElement root;
  if (const HRESULT hr = ReadXmlTree(walk.action.Platform(), text, kMaxTaskDepth, root); FAILED(hr))
    return Unlisted(walk.action, file, XmlRefusalText(hr));
  const std::optional<TaskDefinition> task = ReadTaskDefinition(root, walk.user);
  if (!task) return Unlisted(walk.action, file, Text(IDS_NOT_A_TASK_FILE, {root.name}));
  if (!task->runsProgram || !task->startsAtLogOn) return;
  StartupRow row{taskPath, TaskCommandText(*task), task->enabled, TKStartupEntry(task->enabled, walk.location), {}};
  row.source = file;
  row.commandLine = TaskCommandLine(*task);
  walk.rows.push_back(std::move(row));
}

// Every read of a task file goes through here: the text, or why not.
ErrorCode ReadTaskText(IPlatform& platform, const std::string& file, std::string& text) {
  std::string bytes;
  const ErrorCode rc = platform.ReadSmallFile(file, kMaxTaskFileBytes, bytes);
  if (rc == ERROR_SUCCESS) text = TaskDocumentText(bytes);
  return rc;
}

void ReadTaskFile(TaskWalk& walk, const std::string& file, const std::string& taskPath) {
  std::string text;
  switch (const ErrorCode rc = ReadTaskText(walk.action.Platform(), file, text)) {
    case ERROR_SUCCESS: return AddTask(walk, taskPath, file, text);
    case ERROR_ACCESS_DENIED: walk.denied = true; return;
    case ERROR_FILE_NOT_FOUND: return;  // deleted since the folder was listed
    case kErrorIsLink: return Unlisted(walk.action, file, Text(IDS_FILE_IS_LINK));
    case ERROR_FILE_TOO_LARGE:
      return Unlisted(walk.action, file, Text(IDS_FILE_TOO_LARGE, {std::to_string(kMaxTaskFileBytes >> 20)}));
    default: return Unlisted(walk.action, file, walk.action.Platform().SystemErrorText(rc));
  }
}

void WalkFolder(TaskWalk& walk, const std::string& folder, const std::string& taskFolder, int depth) {
  std::vector<FolderEntry> entries;
  const ErrorCode rc = walk.action.Platform().ListFolder(folder, entries);
  if (rc == ERROR_ACCESS_DENIED) walk.denied = true;
  // No task folder at all is a machine without tasks.
  if (rc == ERROR_ACCESS_DENIED || (depth == 0 && (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND))) return;
  if (rc != ERROR_SUCCESS)
    return walk.action.Fail(MakeFailure(Failure::Kind::Warning, Text(IDS_TASKS_NOT_LISTED, {folder}),
                                        walk.action.Platform().SystemErrorText(rc)));
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == ".." || !IsEntryFileName(entry.name) || HasControl(entry.name)) continue;
    const std::string path = folder + "\\" + entry.name, taskPath = taskFolder + "\\" + entry.name;
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      Unlisted(walk.action, path, Text(IDS_FILE_IS_LINK));
    else if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
      ReadTaskFile(walk, path, taskPath);
    else if (depth + 1 < kMaxFolderDepth)
      WalkFolder(walk, path, taskPath, depth + 1);
  }
}

// What the Task Scheduler shows this user, in place of the files: its XML is read as a file's is.
void ReadFromScheduler(TaskWalk& walk) {
  std::vector<TaskDocument> tasks;
  if (FAILED(walk.action.Platform().ListScheduledTasks(tasks))) return;
  walk.rows.clear();
  for (const TaskDocument& task : tasks) {
    if (!IsTaskPath(task.path)) continue;
    if (task.xml.size() > kMaxTaskFileBytes)
      Unlisted(walk.action, task.path, Text(IDS_TASK_XML_TOO_LARGE, {std::to_string(kMaxTaskFileBytes >> 20)}));
    else AddTask(walk, task.path, walk.root + task.path, WithoutDeclaration(task.xml));
  }
}

}  // namespace

std::string TasksFolder(IPlatform& platform) {
  const std::string windows = platform.ExpandEnvironment("%SystemRoot%");
  if (!IsFullPath(windows)) return {};
  return platform.SpelledPath(windows + (windows.back() == '\\' ? "" : "\\") + "System32\\Tasks");
}

bool IsTaskPath(const std::string& path) {
  if (path.size() < 2 || path.front() != '\\' || path.back() == '\\' || HasControl(path)) return false;
  return path.find("..") == std::string::npos && path.find("\\\\") == std::string::npos &&
         path.find('/') == std::string::npos;
}

std::optional<bool> TaskFileEnabled(IPlatform& platform, const std::string& taskPath) {
  const std::string root = TasksFolder(platform);
  std::string text;
  XmlElement document;
  if (root.empty() || !IsTaskPath(taskPath) || ReadTaskText(platform, root + taskPath, text) != ERROR_SUCCESS ||
      FAILED(ReadXmlTree(platform, text, kMaxTaskDepth, document)))
    return std::nullopt;
  const std::optional<TaskDefinition> task = ReadTaskDefinition(document, {});
  return task ? std::optional<bool>(task->enabled) : std::nullopt;
}

void ScanScheduledTasks(Action& action, std::int32_t location, StartupRows& rows) {
  TaskWalk walk{action, location, TasksFolder(action.Platform()), action.Platform().CurrentUser()};
  if (walk.root.empty()) return;
  WalkFolder(walk, walk.root, "", 0);
  if (walk.denied) {
    ReadFromScheduler(walk);  // where even that fails, the files that could be read are all there is
    action.Fail(MakeFailure(Failure::Kind::Warning, Text(IDS_TASKS_NEED_ADMIN), ""));
  }
  for (StartupRow& row : walk.rows) rows.push_back(std::move(row));
}

}  // namespace kestrun
