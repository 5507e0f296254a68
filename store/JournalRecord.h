#pragma once
// One line of the journal: a change with all that is needed to undo it, and its JSON form.
#include <cstdint>
#include <optional>
#include <string>
#include <utility>

#include "store/platform/Platform.h"

namespace kestrun {

// A registry side that records what was not there: no value, no key, or neither the key nor its parent.
enum class Absent { No, Value, Key, ParentKey };

// One end of a change: where the entry lies and what it is.
struct JournalSide {
  std::string place;      // "HKCU\<key path>" / "HKLM\<key path>", or a folder
  bool isFile = false;
  Absent absent = Absent::No;  // registry: nothing was there, so type and data say nothing
  bool isTask = false;    // a scheduled task: path is its task path, enabled its state; place the task folder
  bool enabled = false;
  DWORD type = REG_NONE;  // registry: the value's type
  std::string data;       // registry: the value's exact bytes
  std::string path;       // files: the full path; tasks: the task path
  std::string backup;     // files: the copy kept beside the journal, when there is one
};

struct JournalRecord {
  std::int64_t id = 0;
  std::string time;     // UTC, ISO 8601
  std::string program;  // "window" or "console"
  std::string action;   // park, bring-back, switch-on, switch-off, remove, remove-flag, create, undo; failed
  std::int32_t location = 0;
  std::string name;
  std::optional<JournalSide> from;      // where the entry was before; none for a new one
  std::optional<JournalSide> to;        // where it is after; none for a removed one
  std::optional<JournalSide> replaced;  // what the change overwrote at "to", if anything
  std::int64_t undoes = 0;              // for an undo: the id of the change it reverses
  std::int64_t fails = 0;               // for "failed": the id of the recorded change that did not happen
  std::int64_t group = 0;  // the id of the first record of the same user action; 0 for that first one
  bool machine = false;    // read from the machine-wide journal, whose ids are its own (never written)
  // Written false before the change and turned true in place once it is made: a record still false
  // is a change that was stopped, or is being made (lines from before have no such mark: made).
  bool done = true;
};

// The sides a journal record gives a registry value and a file.
JournalSide RegistrySide(HKEY hive, const std::string& keyPath, const RegValue& value);
JournalSide AbsentSide(HKEY hive, const std::string& keyPath, Absent absent);
JournalSide FileSide(const std::string& path);
JournalSide TaskSide(const std::string& taskFolder, const std::string& taskPath, bool enabled);
// The same entry in the same place, with the same bytes or at the same path.
bool SameSide(const std::optional<JournalSide>& a, const std::optional<JournalSide>& b);

// One record as a JSON line without its line end, and back; nothing for a line that is not one
// (ids must be positive integers, the action a known one). A record not done ends in "done":0, whose
// digit the journal turns to 1 in place.
std::string FormatJournalLine(const JournalRecord& record);
std::optional<JournalRecord> ParseJournalLine(const std::string& line);

std::string RegistryTypeName(DWORD type);

// A record's id as history shows it: "12" in the user's journal, "M12" in the machine's.
std::string IdText(bool machine, std::int64_t id);
// Back from that form, with or without a leading "#"; nothing for text that is neither.
std::optional<std::pair<bool, std::int64_t>> ParseIdText(const std::string& text);  // "REG_SZ", "REG_EXPAND_SZ", ... or "REG_<number>"

}  // namespace kestrun
