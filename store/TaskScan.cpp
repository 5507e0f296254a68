// The task folders walked (no link or junction followed, the depth bounded), each task file read
// through one size-limited read, by its name in its folder held open, and parsed by the system's
// reader. A task file is untrusted: one that is too large, too deep, malformed or a link hides only
// itself. The walk and its reads come first and say nothing; what they met is said after, in the
// walk's order.
#include "store/TaskScan.h"

#include "base/Concurrent.h"
#include "base/Texts.h"
#include "store/Locations.h"
#include "store/TaskDefinition.h"
#include "store/TextIds.h"

namespace kestrun {

// What the walk met, in its order: a folder it could not list, a link, or a task file read and parsed.
struct TaskWalkStep {
  enum class Kind { FolderFailed, Link, File } kind;
  std::string path;
  std::string taskPath;          // File
  ErrorCode rc = ERROR_SUCCESS;  // FolderFailed, File
  HRESULT parsed = S_OK;         // File read
  XmlElement root{};             // File read and parsed
};

struct TaskWalkSteps {
  std::vector<TaskWalkStep> steps;
  bool denied = false;  // a folder could not be listed for want of rights
  // The File steps still to be read, each with its folder held open (or INVALID_HANDLE_VALUE). The
  // reads come after the walk, several at once: under Wine each is a few round trips to the server.
  std::vector<std::pair<std::size_t, HANDLE>> reads;
  std::vector<UniqueFile> folders;  // held until the reads are done
};

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

// hr: how the reader took the task's document, root what it read.
void AddTask(TaskWalk& walk, const std::string& taskPath, const std::string& file, HRESULT hr, const XmlElement& root) {
  if (FAILED(hr)) return Unlisted(walk.action, file, XmlRefusalText(hr));
  const std::optional<TaskDefinition> task = ReadTaskDefinition(root, walk.user);
  if (!task) return Unlisted(walk.action, file, Text(IDS_NOT_A_TASK_FILE, {root.name}));
  if (!task->runsProgram || !task->startsAtLogOn) return;
  StartupRow row{taskPath, TaskCommandText(*task), task->enabled, TKStartupEntry(task->enabled, walk.location), {}};
  row.detail = std::make_shared<const RowDetail>(RowDetail{file, {}, TaskCommandLine(*task)});
  walk.rows.push_back(std::move(row));
}

// Every read of a task file goes through here: the document as the reader takes it, or why not. folder:
// the file's folder held open, where the file is the name its listing gave (else INVALID_HANDLE_VALUE).
ErrorCode ReadTaskDocument(IPlatform& platform, HANDLE folder, const std::string& file, std::string& document) {
  std::string bytes;
  const std::string name = file.substr(file.rfind('\\') + 1);
  const ErrorCode rc = folder == INVALID_HANDLE_VALUE
                           ? platform.ReadSmallFile(file, kMaxTaskFileBytes, bytes)
                           : platform.ReadSmallFileAt(folder, name, kMaxTaskFileBytes, bytes);
  if (rc == ERROR_SUCCESS) document = TaskDocumentBytes(bytes);
  return rc;
}

void ReadTaskFile(IPlatform& platform, HANDLE folder, TaskWalkStep& step) {
  std::string document;
  step.rc = ReadTaskDocument(platform, folder, step.path, document);
  if (step.rc == ERROR_SUCCESS) step.parsed = ReadXmlTreeUtf16(platform, document, kMaxTaskDepth, step.root);
}

void ReadTaskFiles(IPlatform& platform, TaskWalkSteps& walk) {
  ForEachConcurrently(walk.reads.size(), platform.Concurrency(), [&](std::size_t i) {
    const auto [step, folder] = walk.reads[i];
    ReadTaskFile(platform, folder, walk.steps[step]);
  });
  walk.reads.clear();
  walk.folders.clear();
}

void ReadLater(TaskWalkSteps& walk, HANDLE folder, const std::string& file, const std::string& taskPath) {
  walk.reads.emplace_back(walk.steps.size(), folder);
  walk.steps.push_back({TaskWalkStep::Kind::File, file, taskPath, ERROR_SUCCESS, S_OK, {}});
}

void WalkFolder(IPlatform& platform, TaskWalkSteps& walk, const std::string& folder, const std::string& taskFolder,
                int depth) {
  std::vector<FolderEntry> entries;
  const ErrorCode rc = platform.ListFolder(folder, entries);
  if (rc == ERROR_ACCESS_DENIED) walk.denied = true;
  // No task folder at all is a machine without tasks.
  if (rc == ERROR_ACCESS_DENIED || (depth == 0 && (rc == ERROR_FILE_NOT_FOUND || rc == ERROR_PATH_NOT_FOUND))) return;
  if (rc != ERROR_SUCCESS) return walk.steps.push_back({TaskWalkStep::Kind::FolderFailed, folder, {}, rc, S_OK, {}});
  // Its files are read by name in the folder held open, not each by its whole path again. A root that is
  // a link or junction itself, or a folder that cannot be held, has them read by path, as listed.
  UniqueFile open;
  DWORD attributes = 0;
  if ((depth == 0 && (platform.FileAttributesOf(folder, attributes) != ERROR_SUCCESS ||
                      (attributes & FILE_ATTRIBUTE_REPARSE_POINT))) ||
      platform.OpenAt(INVALID_HANDLE_VALUE, folder, FileOpen::Look, open) != ERROR_SUCCESS)
    open.Reset();
  for (const FolderEntry& entry : entries) {
    if (entry.name == "." || entry.name == ".." || !IsEntryFileName(entry.name) || HasControl(entry.name)) continue;
    const std::string path = folder + "\\" + entry.name, taskPath = taskFolder + "\\" + entry.name;
    if (entry.attributes & FILE_ATTRIBUTE_REPARSE_POINT)
      walk.steps.push_back({TaskWalkStep::Kind::Link, path, {}, ERROR_SUCCESS, S_OK, {}});
    else if (!(entry.attributes & FILE_ATTRIBUTE_DIRECTORY))
      ReadLater(walk, open.Get(), path, taskPath);
    else if (depth + 1 < kMaxFolderDepth)
      WalkFolder(platform, walk, path, taskPath, depth + 1);
  }
  if (open) walk.folders.push_back(std::move(open));
}

// What the walk met, said and made rows as the walk met it.
void TakeSteps(TaskWalk& walk, const TaskWalkSteps& steps) {
  IPlatform& platform = walk.action.Platform();
  walk.denied = steps.denied;
  for (const TaskWalkStep& step : steps.steps) {
    if (step.kind == TaskWalkStep::Kind::FolderFailed) {
      walk.action.Fail(MakeFailure(Failure::Kind::Warning, Text(IDS_TASKS_NOT_LISTED, {step.path}),
                                   platform.SystemErrorText(step.rc)));
      continue;
    }
    if (step.kind == TaskWalkStep::Kind::Link) {
      Unlisted(walk.action, step.path, Text(IDS_FILE_IS_LINK));
      continue;
    }
    switch (step.rc) {
      case ERROR_SUCCESS: AddTask(walk, step.taskPath, step.path, step.parsed, step.root); break;
      case ERROR_ACCESS_DENIED: walk.denied = true; break;
      case ERROR_FILE_NOT_FOUND: break;  // deleted since the folder was listed
      case kErrorIsLink: Unlisted(walk.action, step.path, Text(IDS_FILE_IS_LINK)); break;
      case ERROR_FILE_TOO_LARGE:
        Unlisted(walk.action, step.path, Text(IDS_FILE_TOO_LARGE, {std::to_string(kMaxTaskFileBytes >> 20)}));
        break;
      default: Unlisted(walk.action, step.path, platform.SystemErrorText(step.rc));
    }
  }
}

// What the Task Scheduler shows this user, in place of the files: its XML is read as a file's is.
void ReadFromScheduler(TaskWalk& walk) {
  std::vector<TaskDocument> tasks;
  if (FAILED(walk.action.Platform().ListScheduledTasks(tasks))) return;
  walk.rows.clear();
  for (const TaskDocument& task : tasks) {
    if (!IsTaskPath(task.path)) continue;
    if (task.xml.size() > kMaxTaskFileBytes) {
      Unlisted(walk.action, task.path, Text(IDS_TASK_XML_TOO_LARGE, {std::to_string(kMaxTaskFileBytes >> 20)}));
      continue;
    }
    XmlElement root;
    const HRESULT hr = ReadXmlTree(walk.action.Platform(), WithoutDeclaration(task.xml), kMaxTaskDepth, root);
    AddTask(walk, task.path, walk.root + task.path, hr, root);
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
  std::string bytes;
  XmlElement document;
  if (root.empty() || !IsTaskPath(taskPath) ||
      ReadTaskDocument(platform, INVALID_HANDLE_VALUE, root + taskPath, bytes) != ERROR_SUCCESS ||
      FAILED(ReadXmlTreeUtf16(platform, bytes, kMaxTaskDepth, document)))
    return std::nullopt;
  const std::optional<TaskDefinition> task = ReadTaskDefinition(document, {});
  return task ? std::optional<bool>(task->enabled) : std::nullopt;
}

void ScanScheduledTasks(Action& action, std::int32_t location, StartupRows& rows) {
  TaskWalk walk{action, location, TasksFolder(action.Platform()), action.Platform().CurrentUser()};
  if (walk.root.empty()) return;
  TaskWalkSteps steps;
  WalkFolder(action.Platform(), steps, walk.root, "", 0);
  ReadTaskFiles(action.Platform(), steps);
  TakeSteps(walk, steps);
  if (walk.denied) {
    ReadFromScheduler(walk);  // where even that fails, the files that could be read are all there is
    action.Fail(MakeFailure(Failure::Kind::Warning, Text(IDS_TASKS_NEED_ADMIN), ""));
  }
  for (StartupRow& row : walk.rows) rows.push_back(std::move(row));
}

}  // namespace kestrun
