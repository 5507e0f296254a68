// Ids under a lock, lines appended and flushed and marked done in place, rotation, and reading the
// records back. The last id and what stopped processes left are read from the end of the file: a
// journal grown large costs a change no more than a small one.
#include "store/Journal.h"

#include "base/Texts.h"
#include "store/TextIds.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace kestrun {
namespace {

constexpr const char* kFile = "journal.jsonl";
constexpr const char* kOldFile = "journal.1.jsonl";
constexpr const char* kLockFile = "journal.lock";
constexpr std::uint64_t kTail = 64 * 1024;
constexpr const char* kNotDone = "\"done\":0}";
// Ids a copy's folder may pass by, and the failed marks of stopped changes, after the last id.
constexpr std::int64_t kIdRoom = 1000;

std::string UtcNow() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

// Each whole line of bytes read from offset at, with the offset it starts at; the first is passed over
// when it may have started before at.
template <typename Each>
void ForEachLine(const std::string& bytes, std::uint64_t at, Each each) {
  size_t start = 0;
  if (at > 0) {
    start = bytes.find('\n');
    if (start == std::string::npos) return;
    ++start;
  }
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    each(bytes.substr(start, end - start), at + start);
    start = end + 1;
  }
}

}  // namespace

std::string Journal::ErrorText(ErrorCode code) {
  if (code == kFolderRefused && !Refusal().empty()) return Refusal();
  if (code == kPathRefused) return Files().ErrorText(code);
  if (code == kJournalFull && !why_.empty()) return why_;
  if (code == kJournalBusy) return Text(IDS_JOURNAL_BUSY);
  return platform_.SystemErrorText(code);
}

std::string Journal::FilePath() { return Folder() + "\\" + kFile; }

std::string Journal::OldFilePath() { return Folder() + "\\" + kOldFile; }

void Journal::Release() {
  file_.Reset();
  lock_.Reset();
  open_ = OpenFolder();
  pendingId_ = 0;
}

ErrorCode Journal::Lock() {
  if (lock_) return ERROR_SUCCESS;
  ErrorCode rc = folder_.Make(open_);
  if (rc == ERROR_SUCCESS) rc = Files().Lock(open_, kLockFile, lock_);
  if (rc != ERROR_SUCCESS) Release();
  return rc;
}

ErrorCode Journal::ReadTail(std::int64_t& last) {
  last = 0;
  stale_.clear();
  FileFacts facts;
  if (const ErrorCode rc = Files().Open(open_, kFile, FileOpen::Update, file_, facts)) return rc;
  size_ = facts.size;
  std::set<std::int64_t> failed;
  for (std::uint64_t window = kTail;; window *= 4) {
    const std::uint64_t from = size_ > window ? size_ - window : 0;
    std::string bytes;
    if (const ErrorCode rc = Files().ReadAt(file_.Get(), from, size_ - from, bytes)) return rc;
    tornTail_ = !bytes.empty() && bytes.back() != '\n';
    stale_.clear();
    ForEachLine(bytes, from, [&](const std::string& line, std::uint64_t at) {
      std::optional<JournalRecord> record = ParseJournalLine(line);
      if (!record) return;
      last = std::max(last, record->id);
      if (record->fails) failed.insert(record->fails);
      if (!record->done && record->id != pendingId_ && line.ends_with(kNotDone))
        stale_.push_back({std::move(*record), at + line.size() - 2});
    });
    if (last > 0 || from == 0) break;  // a line longer than the window: look further back
  }
  std::erase_if(stale_, [&](const Stale& stale) { return failed.contains(stale.record.id); });
  if (last == 0) last = LastOldId();  // rotated just now: the ids go on from the old file
  return ERROR_SUCCESS;
}

std::int64_t Journal::LastOldId() {
  UniqueFile old;
  FileFacts facts;
  std::int64_t last = 0;
  if (Files().Open(open_, kOldFile, FileOpen::Read, old, facts) != ERROR_SUCCESS) return 0;
  for (std::uint64_t window = kTail; last == 0; window *= 4) {
    const std::uint64_t from = facts.size > window ? facts.size - window : 0;
    std::string bytes;
    if (Files().ReadAt(old.Get(), from, facts.size - from, bytes) != ERROR_SUCCESS) return 0;
    ForEachLine(bytes, from, [&](const std::string& line, std::uint64_t) {
      if (std::optional<JournalRecord> record = ParseJournalLine(line)) last = std::max(last, record->id);
    });
    if (from == 0) break;
  }
  return last;
}

// Every change holds the lock until it is marked: one not done whose lock is free was stopped.
ErrorCode Journal::Settle(const ChangeMade& made, std::int64_t& last) {
  for (const Stale& stale : stale_) {
    if (made(stale.record)) {
      if (const ErrorCode rc = Files().WriteAt(file_.Get(), stale.mark, "1")) return rc;
      continue;
    }
    JournalRecord failed;
    failed.id = ++last;
    failed.time = UtcNow();
    failed.program = program_;
    failed.action = "failed";
    failed.location = stale.record.location;
    failed.name = stale.record.name;
    failed.fails = stale.record.id;
    if (const ErrorCode rc = WriteLine(failed)) return rc;
  }
  stale_.clear();
  return ERROR_SUCCESS;
}

ErrorCode Journal::Prepare(JournalRecord& record, const ChangeMade& made) {
  std::int64_t last = 0;
  ErrorCode rc = Lock();
  if (rc == ERROR_SUCCESS) rc = ReadTail(last);
  if (rc == ERROR_SUCCESS && made) rc = Settle(made, last);
  // An id past the range would wrap round or vanish from history: the journal says so instead.
  if (rc == ERROR_SUCCESS && last > kLastJournalId - kIdRoom) {
    why_ = Text(IDS_JOURNAL_FULL, {std::to_string(last), Folder()});
    rc = kJournalFull;
  }
  if (rc != ERROR_SUCCESS) {
    Release();
    return rc;
  }
  record.id = last + 1;
  record.time = UtcNow();
  record.program = program_;
  return ERROR_SUCCESS;
}

void Journal::SettleStopped(const ChangeMade& made) {
  if (lock_) return;  // this process's own change is under way
  std::int64_t last = 0;
  // A change under way holds the lock: nothing of it is stale, and a reader does not wait for it.
  if (folder_.Check(open_) == ERROR_SUCCESS && Files().Lock(open_, kLockFile, lock_, 0) == ERROR_SUCCESS &&
      ReadTail(last) == ERROR_SUCCESS)
    Settle(made, last);
  Release();
}

ErrorCode Journal::KeepBackup(JournalRecord& record, JournalSide& side, SafeFiles& source) {
  const std::string removed = Folder() + "\\removed";
  OpenFolder folder;
  // Another program of the user may have put a link on the way (into a system folder, say), or a
  // folder where the next copy goes: the copy goes only into a folder made here, now, through no link.
  if (const ErrorCode rc = Files().Walk(removed, folder, Make::Last)) return rc;
  // A folder left by a change that never reached the journal, or planted, is passed by: the lock is
  // held, so the ids skipped are nobody's.
  ErrorCode rc = ERROR_ALREADY_EXISTS;
  for (int tries = 0; tries < 100 && rc == ERROR_ALREADY_EXISTS; ++tries) {
    UniqueFile made;
    FileFacts facts;
    rc = Files().Open(folder, std::to_string(record.id), FileOpen::MakeFolder, made, facts);
    if (rc == ERROR_ALREADY_EXISTS || rc == ERROR_FILE_EXISTS || rc == kPathRefused) {
      rc = ERROR_ALREADY_EXISTS;
      ++record.id;
    }
  }
  if (rc != ERROR_SUCCESS) return rc;
  const std::string backup = removed + "\\" + std::to_string(record.id) + "\\" + record.name;
  if ((rc = Files().Copy(source, side.path, backup, false)) != ERROR_SUCCESS) return rc;
  side.backup = backup;
  return ERROR_SUCCESS;
}

ErrorCode Journal::WriteLine(const JournalRecord& record) {
  std::string line(tornTail_ ? "\n" : "");  // a torn last line stays alone on its line
  line += FormatJournalLine(record);
  line += '\n';
  if (const ErrorCode rc = Files().WriteAt(file_.Get(), size_, line)) return rc;
  pendingMark_ = size_ + line.size() - 3;  // the digit before "}\n"
  size_ += line.size();
  tornTail_ = false;
  return ERROR_SUCCESS;
}

ErrorCode Journal::Append(const JournalRecord& record) {
  JournalRecord line = record;
  line.done = record.action == "failed";  // a failed mark is no change: nothing to wait for
  ErrorCode rc = ERROR_SUCCESS;
  if (size_ >= kJournalRotateBytes) {
    FileFacts facts;
    file_.Reset();
    rc = Files().Rename(open_, kFile, kOldFile);
    if (rc == ERROR_SUCCESS) rc = Files().Open(open_, kFile, FileOpen::Update, file_, facts);
    size_ = facts.size;
    tornTail_ = false;
  }
  if (rc == ERROR_SUCCESS) rc = WriteLine(line);
  if (rc != ERROR_SUCCESS || line.done) {
    Release();
    return rc;
  }
  pendingId_ = record.id;
  return ERROR_SUCCESS;
}

void Journal::MarkDone(const JournalRecord& record) {
  // A mark that cannot be written leaves the change to be settled by the next one.
  if (record.id == pendingId_ && file_) Files().WriteAt(file_.Get(), pendingMark_, "1");
  Release();
}

std::vector<JournalRecord> Journal::Read() {
  OpenFolder open;
  if (folder_.Check(open) != ERROR_SUCCESS) return {};
  std::vector<JournalRecord> records;
  for (const std::string& file : {OldFilePath(), FilePath()}) {
    std::string bytes;
    if (Files().Read(file, bytes) != ERROR_SUCCESS) continue;
    ForEachLine(bytes, 0, [&](const std::string& line, std::uint64_t) {
      if (std::optional<JournalRecord> record = ParseJournalLine(line)) {
        record->machine = IsMachine();
        records.push_back(std::move(*record));
      }
    });
  }
  std::set<std::int64_t> failed;
  for (const JournalRecord& record : records)
    if (record.fails) failed.insert(record.fails);
  std::erase_if(records, [&](const JournalRecord& record) {
    return record.fails || !record.done || failed.contains(record.id);
  });
  return records;
}

}  // namespace kestrun
