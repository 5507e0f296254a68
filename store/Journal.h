#pragma once
// The journal: one JSON line per change, written and flushed before the change is made, with all
// that is needed to undo it (store/JournalRecord.h). The user's changes go to %LOCALAPPDATA%\Tamsel
// Soft\Kestrun\journal.jsonl, the machine-wide ones to the same name in %ProgramData%, in folders only
// administrators can write (store/JournalFolder.h); copies of removed files lie in removed\<id>\ beside
// each. Ids are given under a lock, and a full file is rotated. It is the only state Kestrun keeps.
#include <cstdint>
#include <string>
#include <vector>

#include "store/JournalFolder.h"
#include "store/JournalRecord.h"

namespace kestrun {

inline constexpr std::uint64_t kJournalRotateBytes = 1024 * 1024;

class Journal {
 public:
  Journal(IPlatform& platform, std::string program, JournalScope scope = JournalScope::User)
      : platform_(platform), program_(std::move(program)), folder_(platform, scope) {}

  [[nodiscard]] bool IsMachine() const { return folder_.IsMachine(); }
  // %LOCALAPPDATA%\Tamsel Soft\Kestrun, or %ProgramData%\Tamsel Soft\Kestrun for the machine's;
  // "" when the system names no such folder.
  std::string Folder() { return folder_.Path(); }
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
  [[nodiscard]] const std::string& Refusal() const { return folder_.Refusal(); }
  // What went wrong, in words: the refusal, or the system's text for code.
  std::string ErrorText(ErrorCode code);

 private:
  std::vector<JournalRecord> ReadLines();
  std::int64_t LastId();

  IPlatform& platform_;  // not owned
  std::string program_;
  JournalFolder folder_;
  // What this object last wrote: when the file is still that size nobody else wrote since.
  std::int64_t lastId_ = 0;
  std::uint64_t sizeAfterLast_ = 0;
  bool tornTail_ = false;  // the file does not end in a line end: the next line starts a fresh one
  UniqueFile lock_;        // held from reading the last id to the flushed append
};

}  // namespace kestrun
