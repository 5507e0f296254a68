#pragma once
// What a scheduled task's XML says of its start at log-on or boot. Task files are untrusted input: the
// bytes decide their encoding (many UTF-8 files declare UTF-16), and the system's reader parses them
// with no DTD and a bounded depth (IPlatform::ParseXml).
#include <cstdint>
#include <optional>
#include <string>

#include "store/XmlTree.h"
#include "store/platform/Platform.h"

namespace kestrun {

// A task file is a few kilobytes; anything near this is no task Windows made.
inline constexpr std::uint64_t kMaxTaskFileBytes = 1 << 20;
// Task > Triggers > LogonTrigger > Repetition > Interval is as deep as the schema goes.
inline constexpr unsigned kMaxTaskDepth = 16;

struct TaskDefinition {
  bool enabled = true;         // Settings/Enabled; missing means enabled
  bool startsAtLogOn = false;  // an enabled BootTrigger, or an enabled LogonTrigger for every user or this one
  bool runsProgram = false;    // it has an Exec action
  std::string command;         // the first Exec action's Command and Arguments, as written
  std::string arguments;
};

// A task file's bytes as text: UTF-16 of either byte order after its mark, else UTF-8 with or without
// one; without the XML declaration, whose encoding the bytes may belie.
std::string TaskDocumentText(const std::string& bytes);
// The same text as the reader takes it (Utf16Document of TaskDocumentText): UTF-16LE bytes, the
// commonest, are cut and passed on as they are, with no round trip through UTF-8.
std::string TaskDocumentBytes(const std::string& bytes);
std::string WithoutDeclaration(const std::string& text);

// Why the reader refused a task's XML, in words: a DTD, too deep, or not well-formed.
std::string XmlRefusalText(HRESULT hr);

// root's definition; nothing when root is no Task element.
std::optional<TaskDefinition> ReadTaskDefinition(const XmlElement& root, const UserIdentity& user);

// The command as a user wrote it: Command and Arguments, as they are.
std::string TaskCommandText(const TaskDefinition& task);
// The command line the scheduler starts: Command taken whole as the program, blanks and all (quotes
// around it dropped), then the arguments; a $(ArgN) placeholder stands for nothing, as a trigger
// passes no parameters.
std::string TaskCommandLine(const TaskDefinition& task);

}  // namespace kestrun
