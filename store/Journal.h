#pragma once
// The journal: one JSON line per change, written and flushed before the change is made, with all
// that is needed to undo it (store/JournalRecord.h), and marked done in place once it is made. The
// user's changes go to %LOCALAPPDATA%\Tamsel Soft\Kestrun\journal.jsonl, the machine-wide ones to the
// same name in %ProgramData%, in folders only administrators can write (store/JournalFolder.h); copies
// of removed files lie in removed\<id>\ beside each. Ids are given under a lock, held until the
// change is made, and a full file is rotated. It is the only state Kestrun keeps.
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "store/JournalFolder.h"
#include "store/JournalRecord.h"

namespace kestrun {

inline constexpr std::uint64_t kJournalRotateBytes = 1024 * 1024;
// The largest id a journal gives: the largest integer every JSON reader keeps exactly.
inline constexpr std::int64_t kLastJournalId = (std::int64_t{1} << 53) - 1;
// The journal takes no more records (ErrorText says why): its ids are at the top of their range.
inline constexpr ErrorCode kJournalFull = ERROR_ARITHMETIC_OVERFLOW;
// Another process held the journal's lock for longer than the wait.
inline constexpr ErrorCode kJournalBusy = ERROR_LOCK_VIOLATION;

// Whether a change a stopped process left not done was made after all, judged by what lies where.
using ChangeMade = std::function<bool(const JournalRecord&)>;

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
  SafeFiles& Files() { return folder_.Files(); }

  // Makes the folder, takes the journal's lock (waiting a few seconds at most while another process
  // holds it), settles what a stopped process left not done (made: marked done, else failed), then
  // gives the record its id, time and program. Any failure comes back.
  ErrorCode Prepare(JournalRecord& record, const ChangeMade& made = {});
  // Copies source's file side.path into a fresh removed\<id>\ (the record must be prepared) and notes
  // the copy in side; where that folder exists already the record takes the next free id. Refused
  // when a link or junction lies on the way.
  ErrorCode KeepBackup(JournalRecord& record, JournalSide& side, SafeFiles& source);
  // Writes the prepared record as one line and flushes it; rotates a full journal first. A change's
  // record is written not done and keeps the lock until MarkDone or Release; a "failed" line lets it go.
  ErrorCode Append(const JournalRecord& record);
  // The change of the record Append wrote was made: its mark turns done, and the lock goes.
  void MarkDone(const JournalRecord& record);
  void Release();

  // Settles what a stopped process left not done, when the journal exists and no other process holds
  // its lock: a reader then sees every change that was made, and none that was not.
  void SettleStopped(const ChangeMade& made);
  // Every readable record of a change that was made, oldest first (the old file, then the current
  // one). A torn line, such as a last line cut by a power failure, is passed over, and so are a
  // change marked failed and its mark, and one never marked done.
  std::vector<JournalRecord> Read();
  // Why the journal's folder was refused by the last Prepare or Read, or could not be checked ("" when neither).
  [[nodiscard]] const std::string& Refusal() const { return folder_.Refusal(); }
  // What went wrong, in words: a refusal, or the system's text for code.
  std::string ErrorText(ErrorCode code);

 private:
  struct Stale {
    JournalRecord record;
    std::uint64_t mark;  // the offset of its done digit
  };
  ErrorCode Lock();
  ErrorCode ReadTail(std::int64_t& last);
  std::int64_t LastOldId();
  ErrorCode Settle(const ChangeMade& made, std::int64_t& last);
  ErrorCode WriteLine(const JournalRecord& record);

  IPlatform& platform_;  // not owned
  std::string program_;
  JournalFolder folder_;
  // Held from Prepare until the change is made: the folder, the lock, the file and where it ends.
  OpenFolder open_;
  UniqueFile lock_;
  UniqueFile file_;
  std::uint64_t size_ = 0;
  bool tornTail_ = false;  // the file does not end in a line end: the next line starts a fresh one
  std::int64_t pendingId_ = 0;   // the record Append wrote, not done yet
  std::uint64_t pendingMark_ = 0;
  std::vector<Stale> stale_;  // records of stopped processes, not done
  std::string why_;           // why the journal is full
};

}  // namespace kestrun
