// Reading a task's XML: its encoding from its bytes, and its settings, triggers and actions from the
// Task Scheduler schema (elements by local name; what the schema leaves out takes its default).
#include "store/TaskDefinition.h"

#include <algorithm>
#include <cstdio>

#include "base/Text.h"
#include "base/Texts.h"
#include "store/TextIds.h"

namespace kestrun {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

std::string Trimmed(const std::string& text) {
  size_t start = 0, end = text.size();
  while (start < end && IsBlank(text[start])) ++start;
  while (end > start && IsBlank(text[end - 1])) --end;
  return text.substr(start, end - start);
}

std::string Utf16Text(const std::string& bytes, size_t from, bool bigEndian) {
  std::wstring wide;
  wide.reserve((bytes.size() - from) / 2);
  for (size_t i = from; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]), second = static_cast<unsigned char>(bytes[i + 1]);
    wide.push_back(static_cast<wchar_t>(bigEndian ? (first << 8) | second : (second << 8) | first));
  }
  return FromWide(wide);
}

const XmlElement* Child(const XmlElement& parent, const char* name) {
  const auto found = std::find_if(parent.children.begin(), parent.children.end(),
                                  [name](const XmlElement& child) { return child.name == name; });
  return found == parent.children.end() ? nullptr : &*found;
}

// xs:boolean ("true", "false", "1", "0", blanks around); anything else, or no element, is the default.
bool Flag(const XmlElement& parent, const char* name, bool fallback) {
  const XmlElement* element = Child(parent, name);
  const std::string text = element ? Trimmed(element->text) : std::string();
  if (text == "true" || text == "1") return true;
  if (text == "false" || text == "0") return false;
  return fallback;
}

// A LogonTrigger's UserId: an account name (DOMAIN\name, or name alone) or a SID.
bool IsThisUser(const std::string& userId, const UserIdentity& user) {
  const std::string id = Trimmed(userId);
  if (id.empty()) return true;  // every user
  if (id.rfind("S-1-", 0) == 0 || id.rfind("s-1-", 0) == 0) return SameName(id, user.sid);
  const size_t slash = id.rfind('\\');
  if (slash != std::string::npos && !SameName(id.substr(0, slash), user.domain) && id.substr(0, slash) != ".")
    return false;
  return !user.name.empty() && SameName(id.substr(slash == std::string::npos ? 0 : slash + 1), user.name);
}

bool StartsAtLogOn(const XmlElement& triggers, const UserIdentity& user) {
  for (const XmlElement& trigger : triggers.children) {
    if (!Flag(trigger, "Enabled", true)) continue;  // untranslated: XML names
    if (trigger.name == "BootTrigger") return true;
    if (trigger.name != "LogonTrigger") continue;
    const XmlElement* userId = Child(trigger, "UserId");
    if (!userId || IsThisUser(userId->text, user)) return true;
  }
  return false;
}

std::string WithoutPlaceholders(std::string text) {
  for (size_t at = text.find("$(Arg"); at != std::string::npos; at = text.find("$(Arg", at)) {
    size_t end = at + 5;
    while (end < text.size() && end < at + 7 && text[end] >= '0' && text[end] <= '9') ++end;
    if (end > at + 5 && end < text.size() && text[end] == ')')
      text.erase(at, end + 1 - at);
    else
      at = end;
  }
  return text;
}

}  // namespace

std::string TaskDocumentText(const std::string& bytes) {
  const auto starts = [&bytes](const char* mark, size_t size) { return bytes.compare(0, size, mark, size) == 0; };
  if (starts("\xFF\xFE", 2)) return WithoutDeclaration(Utf16Text(bytes, 2, false));
  if (starts("\xFE\xFF", 2)) return WithoutDeclaration(Utf16Text(bytes, 2, true));
  if (starts("\xEF\xBB\xBF", 3)) return WithoutDeclaration(bytes.substr(3));
  // No mark, but "<" as UTF-16: the reader would take it so too.
  if (starts("<\0", 2)) return WithoutDeclaration(Utf16Text(bytes, 0, false));
  return WithoutDeclaration(bytes);
}

std::string TaskDocumentBytes(const std::string& bytes) {
  const auto starts = [&bytes](const char* mark, size_t size) { return bytes.compare(0, size, mark, size) == 0; };
  const bool marked = starts("\xFF\xFE", 2);
  if (!marked && !starts("<\0", 2)) return Utf16Document(TaskDocumentText(bytes));
  // UTF-16LE code units from the mark on (an odd last byte is no character); the declaration goes as
  // WithoutDeclaration takes it from the same characters: only ASCII ones match what it looks for.
  const size_t from = marked ? 2 : 0, units = (bytes.size() - from) / 2;
  const auto unit = [&](size_t i) {
    return static_cast<unsigned>(static_cast<unsigned char>(bytes[from + 2 * i]) |
                                 static_cast<unsigned char>(bytes[from + 2 * i + 1]) << 8);
  };
  const auto is = [&](size_t i, char c) { return i < units && unit(i) == static_cast<unsigned char>(c); };
  size_t start = 0;
  if (is(0, '<') && is(1, '?') && is(2, 'x') && is(3, 'm') && is(4, 'l') &&
      (is(5, ' ') || is(5, '\t') || is(5, '\r') || is(5, '\n') || is(5, '?')))
    for (size_t i = 0; i + 1 < units; ++i)
      if (is(i, '?') && is(i + 1, '>')) {
        start = i + 2;
        break;
      }
  return "\xFF\xFE" + bytes.substr(from + 2 * start, 2 * (units - start));
}

std::string WithoutDeclaration(const std::string& text) {
  if (text.rfind("<?xml", 0) != 0 || text.size() < 6 || !(IsBlank(text[5]) || text[5] == '?')) return text;
  const size_t end = text.find("?>");
  return end == std::string::npos ? text : text.substr(end + 2);
}

std::string XmlRefusalText(HRESULT hr) {
  if (hr == kXmlDtdProhibited) return Text(IDS_TASK_DTD);
  if (hr == kXmlTooDeep) return Text(IDS_TASK_TOO_DEEP, {std::to_string(kMaxTaskDepth)});
  char code[16];
  std::snprintf(code, sizeof code, "0x%08lX", static_cast<unsigned long>(hr));
  return Text(IDS_TASK_NOT_XML, {code});
}

std::optional<TaskDefinition> ReadTaskDefinition(const XmlElement& root, const UserIdentity& user) {
  if (root.name != "Task") return std::nullopt;  // untranslated: XML names
  TaskDefinition task;
  if (const XmlElement* settings = Child(root, "Settings"))  // untranslated: XML names
    task.enabled = Flag(*settings, "Enabled", true);          // untranslated: XML names
  if (const XmlElement* triggers = Child(root, "Triggers"))  // untranslated: XML names
    task.startsAtLogOn = StartsAtLogOn(*triggers, user);
  const XmlElement* actions = Child(root, "Actions");  // untranslated: XML names
  const XmlElement* exec = actions ? Child(*actions, "Exec") : nullptr;  // untranslated: XML names
  task.runsProgram = exec != nullptr;
  if (exec) {
    if (const XmlElement* command = Child(*exec, "Command")) task.command = command->text;  // untranslated: XML names
    if (const XmlElement* arguments = Child(*exec, "Arguments"))  // untranslated: XML names
      task.arguments = arguments->text;
  }
  return task;
}

std::string TaskCommandText(const TaskDefinition& task) {
  return task.arguments.empty() ? task.command : task.command + " " + task.arguments;
}

std::string TaskCommandLine(const TaskDefinition& task) {
  std::string program = Trimmed(WithoutPlaceholders(task.command));
  program.erase(std::remove(program.begin(), program.end(), '"'), program.end());
  const std::string arguments = Trimmed(WithoutPlaceholders(task.arguments));
  if (program.empty()) return {};
  return "\"" + program + "\"" + (arguments.empty() ? "" : " " + arguments);
}

}  // namespace kestrun
