#pragma once
// The journal: one JSON line per change, written and flushed before the change is made, with all
// that is needed to undo it. The user's changes go to %LOCALAPPDATA%\Tamsel Soft\Kestrun\journal.jsonl,
// the machine-wide ones to the same name in %ProgramData%, in folders only administrators can write;
// copies of removed files lie in removed\<id>\ beside each. It is the only state Kestrun keeps.
#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "store/platform/Platform.h"

namespace kestrun {

// One end of a change: where the entry lies and what it is.
struct JournalSide {
  std::string place;      // "HKCU\<key path>" / "HKLM\<key path>", or a folder
  bool isFile = false;
  DWORD type = REG_NONE;  // registry: the value's type
  std::string data;       // registry: the value's exact bytes
  std::string path;       // files: the full path
  std::string backup;     // files: the copy kept beside the journal, when there is one
};

struct JournalRecord {
  std::int64_t id = 0;
  std::string time;     // UTC, ISO 8601
  std::string program;  // "window" or "console"
  std::string action;   // park, bring-back, switch-on, remove, remove-flag, create, undo; failed
  std::int32_t location = 0;
  std::string name;
  std::optional<JournalSide> from;      // where the entry was before; none for a new one
  std::optional<JournalSide> to;        // where it is after; none for a removed one
  std::optional<JournalSide> replaced;  // what the change overwrote at "to", if anything
  std::int64_t undoes = 0;              // for an undo: the id of the change it reverses
  std::int64_t fails = 0;               // for "failed": the id of the recorded change that did not happen
  std::int64_t group = 0;  // the id of the first record of the same user action; 0 for that first one
  bool machine = false;    // read from the machine-wide journal, whose ids are its own (never written)
};

inline constexpr std::uint64_t kJournalRotateBytes = 1024 * 1024;

// What an undo running elevated may trust: a folder only Administrators and SYSTEM can write.
inline constexpr const char* kAdminOnlySddl = "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)";

enum class JournalScope { User, Machine };
// The machine's journal folder is not one only administrators can write (Refusal() says why).
inline constexpr ErrorCode kFolderRefused = ERROR_INVALID_SECURITY_DESCR;

class Journal {
 public:
  Journal(IPlatform& platform, std::string program, JournalScope scope = JournalScope::User)
      : platform_(platform), program_(std::move(program)), scope_(scope) {}

  bool IsMachine() const { return scope_ == JournalScope::Machine; }
  // %LOCALAPPDATA%\Tamsel Soft\Kestrun, or %ProgramData%\Tamsel Soft\Kestrun for the machine's;
  // "" when the system names no such folder.
  std::string Folder();
  std::string FilePath();     // journal.jsonl in Folder()
  std::string OldFilePath();  // journal.1.jsonl: the one older file rotation keeps

  // Makes the folder, takes the journal's lock (other processes wait until Append or Release), then
  // gives the record its id, time and program. Any failure comes back.
  ErrorCode Prepare(JournalRecord& record);
  // Copies a file into a fresh removed\<id>\ (the record must be prepared) and notes the copy in side;
  // where that folder exists already the record takes the next free id. Refused when a link or
  // junction lies on the way.
  ErrorCode KeepBackup(JournalRecord& record, JournalSide& side);
  // Writes the prepared record as one line and flushes it; rotates a full journal first. Lets the lock go.
  ErrorCode Append(const JournalRecord& record);
  void Release() { lock_ = UniqueFile(); }

  // Every readable record of a change that was made, oldest first (the old file, then the current
  // one). A torn line, such as a last line cut by a power failure, is passed over, and so are a
  // change marked failed and its mark.
  std::vector<JournalRecord> Read();
  // Why the machine's journal folder was refused by the last Prepare or Read, or could not be checked
  // ("" when neither).
  const std::string& Refusal() const { return refusal_; }
  // What went wrong, in words: the refusal, or the system's text for code.
  std::string ErrorText(ErrorCode code);

 private:
  std::vector<JournalRecord> ReadLines();
  ErrorCode MakeFolders(const std::string& folder);
  ErrorCode MakeAdminFolders(const std::string& folder);
  ErrorCode CheckMachineFolders();
  ErrorCode CheckAdminFolder(const std::string& level);
  static std::array<std::string, 2> AdminLevels(const std::string& folder);  // Tamsel Soft, then Kestrun
  ErrorCode NoLink(const std::string& path);
  std::int64_t LastId();

  IPlatform& platform_;  // not owned
  std::string program_;
  JournalScope scope_;
  std::string refusal_;
  // What this object last wrote: when the file is still that size nobody else wrote since.
  std::int64_t lastId_ = 0;
  std::uint64_t sizeAfterLast_ = 0;
  bool tornTail_ = false;  // the file does not end in a line end: the next line starts a fresh one
  UniqueFile lock_;        // held from reading the last id to the flushed append
};

// For each change that stands undone: the id of the undo that reversed it (an undo that was itself
// undone no longer counts, nor one that does not mirror the change it names).
std::map<std::int64_t, std::int64_t> UndoneBy(const std::vector<JournalRecord>& records);

// The records of the operation change belongs to that do not stand undone, newest first: what one
// undo reverses. Records from before groups were written are each an operation of their own.
std::vector<const JournalRecord*> ActionSteps(const std::vector<JournalRecord>& records,
                                              const std::map<std::int64_t, std::int64_t>& undone,
                                              const JournalRecord& change);

// The sides a journal record gives a registry value and a file.
JournalSide RegistrySide(HKEY hive, const std::string& keyPath, const RegValue& value);
JournalSide FileSide(const std::string& path);

// One record as a JSON line without its line end, and back; nothing for a line that is not one
// (ids must be positive integers, the action a known one).
std::string FormatJournalLine(const JournalRecord& record);
std::optional<JournalRecord> ParseJournalLine(const std::string& line);

std::string RegistryTypeName(DWORD type);  // "REG_SZ", "REG_EXPAND_SZ", ... or "REG_<number>"

}  // namespace kestrun
