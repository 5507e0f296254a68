// Ids under a lock, lines appended and flushed, rotation, and reading the records back.
#include "store/Journal.h"

#include <algorithm>
#include <cstdio>
#include <set>

namespace kestrun {
namespace {

std::string UtcNow() {
  SYSTEMTIME t;
  GetSystemTime(&t);
  char text[32];
  snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u.%03uZ", t.wYear, t.wMonth, t.wDay, t.wHour,
           t.wMinute, t.wSecond, t.wMilliseconds);
  return text;
}

void Split(const std::string& bytes, std::vector<std::string>& lines) {
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find('\n', start);
    lines.push_back(bytes.substr(start, end == std::string::npos ? std::string::npos : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
}

}  // namespace

std::string Journal::ErrorText(ErrorCode code) {
  return code == kFolderRefused && !Refusal().empty() ? Refusal() : platform_.SystemErrorText(code);
}

std::string Journal::FilePath() { return Folder() + "\\journal.jsonl"; }

std::string Journal::OldFilePath() { return Folder() + "\\journal.1.jsonl"; }

std::int64_t Journal::LastId() {
  std::uint64_t size = 0;
  const bool sized = platform_.FileSize(FilePath(), size) == ERROR_SUCCESS;
  if (lastId_ > 0 && sized && size == sizeAfterLast_) return lastId_;
  std::int64_t last = 0;
  for (const JournalRecord& record : ReadLines()) last = std::max(last, record.id);
  std::string bytes;
  tornTail_ = platform_.ReadFileData(FilePath(), bytes) == ERROR_SUCCESS && !bytes.empty() && bytes.back() != '\n';
  return last;
}

ErrorCode Journal::Prepare(JournalRecord& record) {
  if (const ErrorCode rc = folder_.Make(); rc != ERROR_SUCCESS) return rc;
  // Another process's change between reading the last id and appending would take the same id.
  if (!lock_)
    if (const ErrorCode rc = platform_.LockFileExclusive(Folder() + "\\journal.lock", lock_); rc != ERROR_SUCCESS)
      return rc;
  record.id = LastId() + 1;
  record.time = UtcNow();
  record.program = program_;
  return ERROR_SUCCESS;
}

ErrorCode Journal::KeepBackup(JournalRecord& record, JournalSide& side) {
  const std::string removed = Folder() + "\\removed";
  ErrorCode rc = platform_.CreateFolder(removed);
  if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS) return rc;
  // Another program of the user may have put a link on the way (into a system folder, say), or a
  // folder where the next copy goes: the copy goes only into a folder made here, now, through no link.
  for (const std::string& part : {Folder(), removed})
    if ((rc = folder_.NoLink(part)) != ERROR_SUCCESS) return rc;
  std::string folder;
  // A folder left by a change that never reached the journal, or planted, is passed by: the lock is
  // held, so the ids skipped are nobody's.
  for (int tries = 0; tries < 100; ++tries, ++record.id) {
    folder = removed + "\\" + std::to_string(record.id);
    if ((rc = platform_.CreateFolder(folder)) != ERROR_ALREADY_EXISTS) break;
  }
  if (rc == ERROR_SUCCESS) rc = folder_.NoLink(folder);
  if (rc != ERROR_SUCCESS) return rc;
  const std::string backup = folder + "\\" + record.name;
  if ((rc = platform_.FileCopy(side.path, backup)) != ERROR_SUCCESS) return rc;
  side.backup = backup;
  return ERROR_SUCCESS;
}

ErrorCode Journal::Append(const JournalRecord& record) {
  const UniqueFile lock = std::move(lock_);  // let go when the line is on the disk, or not written
  std::uint64_t size = 0;
  if (platform_.FileSize(FilePath(), size) == ERROR_SUCCESS && size >= kJournalRotateBytes) {
    if (const ErrorCode rc = platform_.FileMove(FilePath(), OldFilePath()); rc != ERROR_SUCCESS) return rc;
    tornTail_ = false;
    size = 0;
  }
  std::string line(tornTail_ ? "\n" : "");  // a torn last line stays alone on its line
  line += FormatJournalLine(record);
  line += '\n';
  if (const ErrorCode rc = platform_.AppendFile(FilePath(), line); rc != ERROR_SUCCESS) return rc;
  tornTail_ = false;
  lastId_ = record.id;
  sizeAfterLast_ = size + line.size();
  return ERROR_SUCCESS;
}

std::vector<JournalRecord> Journal::Read() {
  // Prepare checks the machine's folders itself before reading the last id.
  if (folder_.Check() != ERROR_SUCCESS) return {};
  std::vector<JournalRecord> records = ReadLines();
  std::set<std::int64_t> failed;
  for (const JournalRecord& record : records)
    if (record.fails) failed.insert(record.fails);
  std::erase_if(records, [&](const JournalRecord& record) { return record.fails || failed.contains(record.id); });
  return records;
}

std::vector<JournalRecord> Journal::ReadLines() {
  std::vector<JournalRecord> records;
  for (const std::string& file : {OldFilePath(), FilePath()}) {
    std::string bytes;
    if (platform_.ReadFileData(file, bytes) != ERROR_SUCCESS) continue;
    std::vector<std::string> lines;
    Split(bytes, lines);
    for (const std::string& line : lines)
      if (std::optional<JournalRecord> record = ParseJournalLine(line)) {
        record->machine = IsMachine();
        records.push_back(std::move(*record));
      }
  }
  return records;
}

}  // namespace kestrun
